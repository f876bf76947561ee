#pragma once

struct ConvertOptions;

// Converts one picture or a whole folder as the options say, printing each written file on
// standard output and each failure on standard error. Returns the exit status: 0 when every
// picture was converted, 1 otherwise.
int RunConvert(const ConvertOptions& options);
