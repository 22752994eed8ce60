// The operator's windows at the program's font: every caption whole inside
// its widget, no two widgets on top of each other, all inside the window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "menurig.h"
#include "title/forms.h"

using namespace menutest;

namespace {

// The room a widget's text needs beside its frame, check mark or arrow.
int chromeOf(const QWidget* w) {
    if (qobject_cast<const QCheckBox*>(w)) return 24;
    if (qobject_cast<const QComboBox*>(w)) return 28;
    if (qobject_cast<const QPushButton*>(w)) return 8;
    if (qobject_cast<const QLineEdit*>(w)) return 6;
    return 0;
}

QString textOf(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(w)) {
        QString longest;
        for (int i = 0; i < c->count(); ++i) {
            if (c->itemText(i).size() > longest.size()) longest = c->itemText(i);
        }
        return longest;
    }
    return {};
}

// The widgets laid out directly on one parent.
void expectTidy(QWidget* parent, const std::string& where) {
    std::vector<QWidget*> laidOut;
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow() || w->isHidden()) continue;
        laidOut.push_back(w);
    }
    for (QWidget* w : laidOut) {
        const std::string name =
            where + " " + w->metaObject()->className() + " '" + textOf(w).toStdString() + "'";
        EXPECT_TRUE(parent->rect().contains(w->geometry())) << name << " outside its window";
        const QFontMetrics fm(w->font());
        auto* label = qobject_cast<QLabel*>(w);
        if (label && label->wordWrap()) {
            EXPECT_LE(label->heightForWidth(label->width()), label->height()) << name;
        } else if (!textOf(w).isEmpty()) {
            EXPECT_LE(fm.horizontalAdvance(textOf(w).remove(u'&')) + chromeOf(w), w->width())
                << name << " clipped";
            EXPECT_LE(fm.height(), w->height()) << name << " too low for its text";
        }
        for (QWidget* other : laidOut) {
            if (other != w && other->geometry().intersects(w->geometry())) {
                // Lists one row apart may share a border line; no more.
                const QRect overlap = other->geometry().intersected(w->geometry());
                EXPECT_LE(std::min(overlap.width(), overlap.height()), 2)
                    << name << " overlaps " << textOf(other).toStdString();
            }
        }
    }
}

}  // namespace

TEST(Layout, TheSetupMenusAreTidyAtTheProgramsFont) {
    StartedProgram p(170, "3", "4");
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = p.menu(m);
        menu.show();
        QWidget* client = menu.findChild<QWidget*>(QStringLiteral("client"));
        ASSERT_TRUE(client);
        expectTidy(client, menuName(m).toStdString());
        EXPECT_EQ(client->height(), twipsToPixels(menu.variant().clientHeightTwips));
        EXPECT_EQ(menu.font().pointSizeF(), 12.0);
    }
}

TEST(Layout, TheOptionsAndExtraTransmitterWindowsAreTidy) {
    StartedProgram p;
    FormOptions& o = p.options();
    o.show();
    expectTidy(&o, "FormOptions");
    expectTidy(o.Frame1, "FormOptions frame");
    // The longest help text fits its box without scrolling.
    setCheckValue(o.CheckPlayerWaiting, 0);
    o.TextOption->setPlainText(o.CheckPlayerWaiting->toolTip());
    o.TextOption->document()->setTextWidth(o.TextOption->viewport()->width());
    EXPECT_LE(o.TextOption->document()->size().height(), o.TextOption->viewport()->height());

    Formextrax& x = formsOf(*p.t).formextrax();
    x.show();
    expectTidy(&x, "Formextrax");
}
