#pragma once

#include <string>

// What the programs tell about their switches (command_line.h), in message boxes captioned like
// every box of the product's programs. accepted is the program's set of switches.

// The switches of accepted, one a line, each with what it does: /? and /HELP show it.
std::u16string SwitchHelpText(unsigned accepted);
// An argument the program did not take, named as given, then the switches it takes.
std::u16string RefusedSwitchText(const std::u16string& refused, unsigned accepted);
