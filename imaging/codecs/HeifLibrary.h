#pragma once

// libheif is loaded with the first HEIF file, not with the program: with the codecs it
// brings (libde265, x265, aom, dav1d) it costs every start several milliseconds, and most
// runs never meet a HEIF file. HeifLibrary.cpp defines the libheif functions this program
// calls, under their own names; they forward to the library once it is loaded.

// Loads libheif (once; later calls only report the outcome). False when it is not installed
// or lacks a function we call: HEIF files are then refused for want of it. No other
// libheif function may be called before this has returned true.
bool LoadHeifLibrary();
