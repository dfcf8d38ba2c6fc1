// The About box: its texts, and the technical summary behind Shift+7.

#include "gui/TAboutBox.h"
#include "tests/support/ProgramTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace talmere;

TEST(AboutBox, ShowsTheProductVersionAndTextsAndTheSummaryOnShift7)
{
    test::Installation install;
    ApplicationContext& context = install.context();
    context.settings.ProductName = "Acme";
    context.settings.Copyright = "Copyright (C) Acme";
    context.settings.OwnershipComment = "Licensed to the clinic.";
    context.reportLibraryCandidates = {TALMRDLL_PATH};
    TAboutBox box(context, "5.2.3");
    box.show();
    EXPECT_EQ(box.windowTitle(), "About");
    const auto text = [&](const char* name) { return box.findChild<QLabel*>(QString::fromLatin1(name))->text(); };
    EXPECT_EQ(text("ProductName"), "Acme Report Manager");
    EXPECT_EQ(text("Version"), "5.2.3");
    EXPECT_EQ(text("Copyright"), "Copyright (C) Acme");
    EXPECT_EQ(text("Comments"), "Licensed to the clinic.");

    QTest::keyClick(&box, Qt::Key_7);
    EXPECT_TRUE(install.prompts().shown.empty()) << "7 alone tells nothing";
    QTest::keyClick(&box, Qt::Key_Ampersand, Qt::ShiftModifier);
    ASSERT_EQ(install.prompts().shown.size(), 1u);
    EXPECT_EQ(install.prompts().shown[0].kind, "information");
    EXPECT_TRUE(install.prompts().shown[0].text.startsWith(
        "Acme Report Manager Technical Information:\r\n\r\n  Version = 5.2.3\r\n"));
    EXPECT_TRUE(install.prompts().shown[0].text.contains("  DLLs: libtalmrdll.so  ("));
    EXPECT_FALSE(install.prompts().shown[0].text.contains("NOT AVAILABLE"));
    QTest::keyClick(&box, Qt::Key_7, Qt::ShiftModifier);
    EXPECT_EQ(install.prompts().shown.size(), 2u);
    EXPECT_TRUE(box.isVisible());

    QTest::mouseClick(box.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    EXPECT_EQ(box.result(), QDialog::Accepted);
}
