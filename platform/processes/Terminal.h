#pragma once

#include <cstdio>

// Whether the stream is a terminal that a person watches (progress lines make sense there).
bool IsTerminal(std::FILE* stream);
