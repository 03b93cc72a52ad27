#pragma once

// Makes the UTF-8 text written to std::cout and std::cerr show as written. On Windows a stream
// that is a console is given the text as Unicode, whatever the console's code page; a file or
// pipe still gets the UTF-8 bytes. On POSIX systems the terminal takes the bytes as they are.
void showUtf8OnConsoles();
