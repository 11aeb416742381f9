// SPDX-License-Identifier: GPL-3.0-or-later
// The "Advance" dialog built from an encoder's own settings.
#include "ui/encoder_options_dialog.h"
#include "fake_encoder_facility.h"
#include "support/fake_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace {

EncoderOption Option(const char* name, EncoderOption::Kind kind, const char* value)
{
    EncoderOption option;
    option.name = name;
    option.help = std::string("what ") + name + " does";
    option.kind = kind;
    option.minimum = -1;
    option.maximum = 100;
    option.defaultValue = value;
    return option;
}

class AviOptionsDialogTest : public ::testing::Test {
protected:
    AviOptionsDialogTest()
    {
        EncoderOption preset = Option("preset", EncoderOption::Kind::Choice, "1");
        preset.constants = {{"fast", 0}, {"medium", 1}, {"slow", 2}};
        facility.catalogue = {{"H264", "libx264"}};
        facility.catalogue[0].options = {Option("threads", EncoderOption::Kind::Integer, "4"),
                                         Option("strength", EncoderOption::Kind::Real, "0.5"),
                                         Option("fast", EncoderOption::Kind::Boolean, "1"), preset,
                                         Option("flags", EncoderOption::Kind::Flags, "0"),
                                         Option("params", EncoderOption::Kind::Text, "")};
    }

    FakeEncoderFacility facility;
    FakeDialogs dialogs;
};

TEST_F(AviOptionsDialogTest, EachSettingGetsAnEditorOfItsKindShowingTheValueInUse)
{
    facility.optionValues["H264 threads"] = "8";
    EncoderOptionsDialog dialog(facility, dialogs, "H264");
    EXPECT_EQ(dialog.findChild<QSpinBox*>("threads")->value(), 8);
    EXPECT_EQ(dialog.findChild<QSpinBox*>("threads")->toolTip(), "what threads does");
    EXPECT_DOUBLE_EQ(dialog.findChild<QDoubleSpinBox*>("strength")->value(), 0.5);
    EXPECT_TRUE(dialog.findChild<QCheckBox*>("fast")->isChecked());
    auto* preset = dialog.findChild<QComboBox*>("preset");
    ASSERT_NE(preset, nullptr);
    EXPECT_EQ(preset->count(), 3);
    EXPECT_EQ(preset->currentText(), "medium");
    EXPECT_NE(dialog.findChild<QLineEdit*>("flags"), nullptr);
    EXPECT_NE(dialog.findChild<QLineEdit*>("params"), nullptr);
}

TEST_F(AviOptionsDialogTest, OkKeepsTheChangedValuesOnly)
{
    EncoderOptionsDialog dialog(facility, dialogs, "H264");
    dialog.findChild<QDoubleSpinBox*>("strength")->setValue(0.75);
    dialog.findChild<QCheckBox*>("fast")->setChecked(false);
    dialog.findChild<QComboBox*>("preset")->setCurrentIndex(2);
    dialog.findChild<QLineEdit*>("params")->setText("keyint=10");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(facility.optionValues, (std::map<std::string, std::string>{
                                         {"H264 strength", "0.75"}, {"H264 fast", "0"},
                                         {"H264 preset", "2"}, {"H264 params", "keyint=10"}}));
}

TEST_F(AviOptionsDialogTest, ARefusedValueIsReportedAndTheDialogStaysOpen)
{
    EncoderOptionsDialog dialog(facility, dialogs, "H264");
    dialog.show();
    dialog.findChild<QLineEdit*>("params")->setText("invalid");
    dialog.accept();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Invalid value \"invalid\" for params");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(facility.optionValues.count("H264 params"), 0u);
}

TEST_F(AviOptionsDialogTest, CancelKeepsNothing)
{
    EncoderOptionsDialog dialog(facility, dialogs, "H264");
    dialog.findChild<QSpinBox*>("threads")->setValue(2);
    dialog.reject();
    EXPECT_TRUE(facility.optionValues.empty());
}

} // namespace
