// The cursor shapes the user interface shows over its widgets and the world. The game's
// cursor handlers say which one they want (CursorHandler::GetGameCursorType).
#pragma once

namespace GAME {

enum WidgetCursorType : int {
    WidgetCursor_Default = 1,   // the pointer
    WidgetCursor_Relic = 7,     // a relic held over the items it may go into
};

}  // namespace GAME
