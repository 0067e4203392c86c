// Caption of the message boxes of the clipboard reader, of the analyses'
// input checks and of Calculate. (The start-up messages and the clipboard
// write failure carry the application name instead.)
#pragma once

inline constexpr const char* MESSAGE_CAPTION = "Morvenda 006";
