// printf into a std::string, for messages and log lines built from fixed texts.
#pragma once

#include <string>

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
