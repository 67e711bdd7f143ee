#pragma once

namespace crx::qt {

class GuiHost;

// Registers the window of every dialog class that the core runs modally.
void RegisterDialogWidgets(GuiHost& host);

}  // namespace crx::qt
