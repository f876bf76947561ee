#pragma once

#include <QString>

// The program's string table, kept as res/strings.json in the resources: the text of a
// numbered string (tooltips carry the id of their control), or an empty text when there
// is none.
QString LoadString(int id);
