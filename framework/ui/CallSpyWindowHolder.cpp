#include "framework/ui/CallSpyWindowHolder.h"

namespace korvex::ui {

frmShow* CallSpyWindowHolder::Open() {
    frmShow* window = window_.Get([this] {
        auto* created = new frmShow(texts_, language_, ids_, &spy_);
        created->SetTextOffset(kTextOffsetTwips);
        return created;
    });
    window->show();
    window->raise();
    return window;
}

}  // namespace korvex::ui
