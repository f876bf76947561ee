#include <gtest/gtest.h>

#include <QDialog>
#include <iterator>

#include "platform/emulation/StringTable.h"
#include "platform/widgets/DialogTemplate.h"
#include "platform/widgets/WidgetPrompts.h"

TEST(DialogTemplateTest, ConvertsDialogUnitsWithTheFontsBaseUnits) {
    const DialogUnits units(6, 13);
    EXPECT_EQ(units.ToPixels(QRect(7, 50, 431, 184)), QRect(11, 81, 647, 299));
    const auto main = LoadDialogTemplate(130);
    ASSERT_TRUE(main.has_value());
    EXPECT_EQ(main->caption, "Ansicht");
    EXPECT_EQ(main->size, QSize(468, 270));
    ASSERT_EQ(main->controls.size(), 3u);
    EXPECT_FALSE(LoadDialogTemplate(4711).has_value());

    DialogTemplate kinds;
    const struct {
        const char* kind;
        QStringList style;
        const char* className;
    } controls[] = {{"slider", {"vertical"}, "QSlider"},
                    {"radio", {}, "QRadioButton"},
                    {"groupbox", {}, "QGroupBox"},
                    {"combobox", {}, "QComboBox"},
                    {"edit", {"multiline"}, "FramedTextEdit"},
                    {"edit", {"hidden"}, "QLineEdit"}};
    for (int i = 0; i < int(std::size(controls)); ++i) {
        kinds.controls.push_back(
            {2000 + i, controls[i].kind, {}, {0, 0, 10, 10}, controls[i].style});
    }
    QDialog dialog;
    ApplyDialogTemplate(dialog, kinds);
    dialog.show();
    for (int i = 0; i < int(std::size(controls)); ++i) {
        EXPECT_STREQ(ControlById(dialog, 2000 + i)->metaObject()->className(),
                     controls[i].className);
    }
    EXPECT_FALSE(ControlById(dialog, 2005)->isVisible()) << "a hidden control stays hidden";
    EXPECT_EQ(LoadString(1052), "Schaltet zusätzliche Erweiterungen ein");
    EXPECT_EQ(LoadString(4711), "");
    EXPECT_EQ(QtNameFilters("Bilder (*.jpg;*.jpeg;*.gif)|*.jpg;*.jpeg;*.gif||"),
              QStringList{"Bilder (*.jpg *.jpeg *.gif)"});
    EXPECT_EQ(QtNameFilters("Bilder (*.jpg)|*.jpg"), QStringList{"Bilder (*.jpg)"});
}
