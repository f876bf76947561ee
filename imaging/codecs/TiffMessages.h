#pragma once

// libtiff's warnings and errors, which Qt's TIFF plugin leaves to libtiff: printed on stderr
// unless quieted (what is wrong with a picture reaches the user through our own messages),
// and counted. libtiff goes on past strips it cannot decode and leaves their rows blank,
// saying so only in these messages.

// Loads libtiff, once, and puts our handlers in place of its own.
void WatchTiffOnce();
// From now on libtiff's messages are counted, not printed.
void QuietTiffMessages();
// How many messages about a file's data libtiff has given on this thread so far (warnings it
// gives for old files it reads correctly all the same not counted): folder runs decode on
// several threads at once, and each decoding is judged by what was said about it.
int TiffComplaints();
// How many of those said that libtiff's reader is not made for the kind of picture (its
// samples, its compression), on this thread so far.
int TiffRefusals();
