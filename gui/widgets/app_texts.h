#pragma once
// The program's own titles, in one place: the application title (the caption
// of message boxes without one of their own, and the per-user settings' key)
// and the main window's title, by which a running copy is also known.

#include <string_view>

namespace talsk {

inline constexpr std::string_view kAppTitle = "Тальский телефонный справочник";
inline constexpr std::string_view kWindowTitle = "Телефоны Тальска 2000";

} // namespace talsk
