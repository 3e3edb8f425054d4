// What the command line asks for.
#pragma once

// True only for the tail "-d" exactly: no other case, no blanks around it.
bool showWindowAtStart(const char16_t* commandLineTail);
