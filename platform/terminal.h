#pragma once

// The standard streams of the process as the user sees them.
enum class StandardStream { Output, Error };

// Whether the stream goes to a terminal.
bool isTerminal(StandardStream stream);

// The width of the terminal that the stream goes to, in columns; 0 when unknown.
int terminalColumns(StandardStream stream);
