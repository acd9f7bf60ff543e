// The string-table texts of the About box, per driver.
#pragma once

#include <QString>

#include "framework/ui/WindowTexts.h"

namespace korvex::ui {

struct AboutTexts {
    TextRef caption;
    TextRef title;        // lblTitle after a language change; the program title at load
    TextRef traffic;      // cmdTraffic
    TextRef ok;           // cmdOK
    TextRef sysInfo;      // cmdSysInfo
    TextRef description;  // lblDescription; id 0 keeps the notice of AboutBoxInfo

    static AboutTexts Rotator() {
        return {{199, "About Korvex Camera Rotator "},
                {204, "Korvex - camera rotator"},
                {200, "ASCOM traffic"},
                {201, "OK"},
                {202, "System &Information"},
                {203, "Vantaro - controllers and drivers for astronomy"}};
    }
    static AboutTexts Focuser() {
        return {{61, "About Korvex Focuser "}, {66, "Korvex - motorized focuser"},
                {62, "ASCOM traffic"},         {63, "OK"},
                {64, "System &Information"},   {0, ""}};
    }
};

// What the About box shows besides the table's texts.
struct AboutBoxInfo {
    QString programTitle;  // lblTitle at load
    QString versionText;   // "4.7.0"; lblVersion reads "Version 4.7.0"
    QString notice;        // lblDescription when its text id is 0
};

}  // namespace korvex::ui
