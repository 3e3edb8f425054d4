// What the command line asks for.
#pragma once

// The part of a whole command line after the program's name and the blanks
// that follow it: the name ends at the closing quote when it starts with
// one, else at the first blank.
const char16_t* commandLineTail(const char16_t* commandLine);

// True only for the tail "-d" exactly: no other case, no blanks around it.
bool showWindowAtStart(const char16_t* commandLineTail);
