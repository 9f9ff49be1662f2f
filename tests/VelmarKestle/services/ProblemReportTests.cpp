#include <optional>
#include <string>
#include <vector>

#include <algorithm>
#include <filesystem>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTimer>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include "services/ProblemReport.hpp"

using kestle::AppEntry;
using kestle::InstalledApp;
using kestle::Url;
using kestle::app::ProblemReport;

namespace {

AppEntry entry(const std::string& id, const std::string& name, bool installed) {
    AppEntry entry;
    entry.app.id = id;
    entry.app.name = name;
    if (installed) {
        entry.installed =
            InstalledApp{Url::fromPath("/Applications/" + name + ".app"), "2.1", "45"};
    }
    return entry;
}

TEST(ProblemReport, DiagnosticLinesNameEveryInstalledApp) {
    const std::vector<AppEntry> entries = {entry("notes", "Notes", true),
                                           entry("maps", "Maps", false),
                                           entry("paint", "Paint Pro", true)};
    const QStringList lines =
        ProblemReport::diagnosticLines("VelmarKestle 1.0 (7)", {"6.1.0", "#1 SMP Debian"}, entries);
    EXPECT_EQ(lines, (QStringList{"VelmarKestle 1.0 (7)", "Linux 6.1 (#1 SMP Debian)",
                                  "Notes 2.1 (45)", "Paint Pro 2.1 (45)"}));

    struct Case {
        ProblemReport::System system;
        const char* line;
    };
    const Case cases[] = {
        {{"6.1.0", std::nullopt}, "Linux 6.1"},  // no patch part for 0, no build
        {{"6.8.12", "#5"}, "Linux 6.8.12 (#5)"}, // a patch is shown
        {{"6", ""}, "Linux 6.0"},                // missing parts read as 0
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProblemReport::systemLine(c.system), c.line);
    }
}

TEST(ProblemReport, SubjectNamesTheInstalledAppElseThisApplication) {
    EXPECT_EQ(ProblemReport::subject(entry("notes", "Notes", true), "1.0 (7)"),
              "Problem with Notes 2.1, from VelmarKestle");
    EXPECT_EQ(ProblemReport::subject(entry("maps", "Maps", false), "1.0 (7)"),
              "Problem with VelmarKestle 1.0 (7)");
    EXPECT_EQ(ProblemReport::subject(std::nullopt, "1.0 (7)"), "Problem with VelmarKestle 1.0 (7)");
}

TEST(ProblemReport, MailtoEscapesEverythingButUnreservedCharacters) {
    const QString subject = QString::fromUtf8("Problem with Café & Co 2.1, from VelmarKestle");
    const QString body = ProblemReport::body({"VelmarKestle 1.0 (7)", "a=b?c"});
    const QUrl url = ProblemReport::mailto("support@velmar.example", subject, body);
    ASSERT_TRUE(url.isValid());
    const QString text = url.toString(QUrl::FullyEncoded);
    EXPECT_TRUE(text.startsWith("mailto:support@velmar.example?subject=Problem%20with%20Caf%C3%A9%"
                                "20%26%20Co%202.1%2C%20from%20VelmarKestle&body="))
        << text.toStdString();
    EXPECT_TRUE(text.contains("%0A%0A%0A%0AVelmarKestle%201.0%20%287%29%0Aa%3Db%3Fc%0A"))
        << text.toStdString();
    // Read back, the two fields are exactly what went in.
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), subject);
    EXPECT_EQ(query.queryItemValue("body", QUrl::FullyDecoded), body);
}

} // namespace

namespace {

// Lays the buttons out as a desktop's button boxes do.
class ButtonLayoutStyle : public QProxyStyle {
public:
    explicit ButtonLayoutStyle(int layout)
        : QProxyStyle(QStyleFactory::create("Fusion")), layout_(layout) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_DialogButtonLayout) {
            return layout_;
        }
        return QProxyStyle::styleHint(hint, option, widget, data);
    }

private:
    int layout_;
};

// The dialog itself: its buttons in order on every desktop's layout, the lines shown,
// and "Copy Address" putting the address on the clipboard.
TEST(ProblemReport, DialogCopiesTheAddress) {
    QGuiApplication::clipboard()->setText("something else");
    QStringList buttons;
    std::vector<QStringList> orders;
    QString details;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* button : box->buttons()) {
            buttons << button->text();
        }
        auto* buttonBox = box->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttonBox, nullptr);
        for (int layout : {QDialogButtonBox::WinLayout, QDialogButtonBox::MacLayout,
                           QDialogButtonBox::KdeLayout, QDialogButtonBox::GnomeLayout}) {
            ButtonLayoutStyle style(layout);
            buttonBox->setStyle(&style);
            buttonBox->layout()->activate();
            const QList<QAbstractButton*> all = box->buttons();
            std::vector<QAbstractButton*> placed(all.begin(), all.end());
            std::ranges::sort(placed, {}, [](QAbstractButton* b) { return b->geometry().x(); });
            QStringList order;
            for (QAbstractButton* button : placed) {
                order << button->text();
            }
            orders.push_back(order);
            buttonBox->setStyle(nullptr);
        }
        for (QLabel* label : box->findChildren<QLabel*>()) {
            if (label->text().contains("Notes 2.1 (45)")) {
                details = label->text();
            }
        }
        const std::filesystem::path folder = KESTLE_SCREENSHOT_DIR;
        std::filesystem::create_directories(folder);
        box->grab().save(QString::fromStdString((folder / "problem-report.png").string()));
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == "Copy Address") {
                button->click();
            }
        }
    });
    ProblemReport::show(entry("notes", "Notes", true), {entry("notes", "Notes", true)},
                        "support@velmar.example");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "support@velmar.example");
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"Cancel", "Copy Address", "Write Email"}));
    ASSERT_EQ(orders.size(), 4u);
    for (const QStringList& order : orders) {
        EXPECT_EQ(order.join(", ").toStdString(), "Write Email, Copy Address, Cancel");
    }
    EXPECT_TRUE(details.startsWith("VelmarKestle ")) << details.toStdString();
    EXPECT_TRUE(details.contains("\nLinux ")) << details.toStdString();
}

} // namespace
