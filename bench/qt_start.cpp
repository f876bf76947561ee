#include <QCoreApplication>
#include <QImage>
#include <cstdio>

// The floor for a start of plenmar-convert: a program that links Qt Gui (the QImage keeps
// the linker from dropping it), makes its application object and prints a line.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    std::printf("Qt %s\n", qVersion());
    return QImage().isNull() ? 0 : 1;
}
