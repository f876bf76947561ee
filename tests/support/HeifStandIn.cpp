// Stands in for libheif: a library of its name with none of the functions the program calls.
extern "C" int plenmar_not_libheif() {
    return 0;
}
