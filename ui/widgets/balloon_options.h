// The options word of a balloon. The low byte says which of the user's
// actions close it; the higher bits how it closes and looks. The numbers are
// the ones callers store and pass on (the reminder popups carry them in their
// requests), so they never change.
#pragma once

namespace kvn::ui::balloon {

// Closing rules: a button released or pressed anywhere in the application's
// windows, the mouse leaving the hover rectangle around where it was when the
// balloon opened, or a key pressed.
inline constexpr unsigned CloseOnLeftUp = 0x01;
inline constexpr unsigned CloseOnMiddleUp = 0x02;
inline constexpr unsigned CloseOnRightUp = 0x04;
inline constexpr unsigned CloseOnLeftDown = 0x08;
inline constexpr unsigned CloseOnMiddleDown = 0x10;
inline constexpr unsigned CloseOnRightDown = 0x20;
inline constexpr unsigned CloseOnMouseMove = 0x40;
inline constexpr unsigned CloseOnKeyDown = 0x80;
// Every mouse rule: the ones a delayed close clears.
inline constexpr unsigned MouseRules = 0x7F;
inline constexpr unsigned ButtonUpRules = CloseOnLeftUp | CloseOnMiddleUp | CloseOnRightUp;

// A close request starts the display timer instead of closing at once.
inline constexpr unsigned DelayClose = 0x100;
// The balloon deletes itself once it has closed.
inline constexpr unsigned DeleteWhenClosed = 0x200;
inline constexpr unsigned ShowCloseButton = 0x400;
inline constexpr unsigned RaisedEdge = 0x800;
inline constexpr unsigned TopMost = 0x1000;
inline constexpr unsigned NoShadow = 0x2000;
inline constexpr unsigned ShowWithoutFading = 0x4000;
inline constexpr unsigned HideWithoutFading = 0x8000;

} // namespace kvn::ui::balloon
