#include <gtest/gtest.h>

#include "window/AboutDlg.h"

TEST(AboutBox, NamesEveryLibraryWithItsLicence) {
    const QString text = CAboutDlg::Text();
    for (const char* library :
         {"Qt ", "libjpeg-turbo ", "libheif (GNU LGPL", "libde265 (GNU LGPL"}) {
        EXPECT_TRUE(text.contains(library)) << library;
    }
}
