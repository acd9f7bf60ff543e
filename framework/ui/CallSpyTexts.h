// The string-table texts of the call spy window; the rotator and focuser tables number them
// differently.
#pragma once

#include "framework/ui/WindowTexts.h"

namespace korvex::ui {

struct CallSpyTexts {
    TextRef caption;
    TextRef erase;         // cmdClear
    TextRef disable;       // cmdDisable as the window loads
    TextRef enable;        // cmdDisable while the log is disabled
    TextRef disableAgain;  // cmdDisable once enabled again
    TextRef move;          // chkMove; id 0 keeps the fixed caption "Move / Halt"
    TextRef moving;        // chkMoving, "IsMoving"
    TextRef temp;          // chkTemp, "Temp Related"
    TextRef other;         // chkOther, "Other Calls"

    // The rotator tables: caption, Erase and Disable; the check boxes keep their captions.
    static CallSpyTexts Rotator() {
        return {{193, "ASCOM call spy"}, {194, "Erase"},      {216, "Disable"},
                {136, "Enable"},         {137, "Disable"},    {0, "Move / Halt"},
                {0, "IsMoving"},         {0, "Temp Related"}, {0, "Other Calls"}};
    }
    // The focuser table: every box its own text.
    static CallSpyTexts Focuser() {
        return {{47, "ASCOM call spy"}, {48, "Erase"},        {53, "Disable"},
                {136, "Enable"},        {137, "Disable"},     {52, "Move / Halt"},
                {49, "IsMoving"},       {50, "Temp Related"}, {51, "Other Calls"}};
    }
};

}  // namespace korvex::ui
