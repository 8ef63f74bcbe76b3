#include "platform/ui/help.h"

namespace ui {
namespace {

HelpViewer* g_viewer = nullptr;

}  // namespace

void ShowHelpContext(int context) {
    if (g_viewer != nullptr) {
        g_viewer->ShowContext(context);
    }
}

HelpViewer* SetHelpViewer(HelpViewer* viewer) {
    HelpViewer* previous = g_viewer;
    g_viewer = viewer;
    return previous;
}

}  // namespace ui
