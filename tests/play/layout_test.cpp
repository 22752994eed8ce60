// What the audience sees: which widgets each screen has, and that the layout
// fills displays of any size with nothing overlapping and every text whole.
#include <map>

#include <QFontMetricsF>

#include "playfixture.h"

namespace {

struct Widgets {
    int lamps;
    bool gamma;
    const char* beta5Name;
    bool label1Visible;
    const char* caption;
};

const std::map<ScreenPair, Widgets> kWidgets = {
    {ScreenPair::P2_4, {8, false, "B5", false, "Play Screen 2_4"}},
    {ScreenPair::P2_5, {10, false, "b5", false, "Play Screen 2_5"}},
    {ScreenPair::P3_4, {12, true, "b5", true, "Play Screen 3_4"}},
    {ScreenPair::P3_5, {15, true, "b5", false, "Play Screen 3_5"}},
};

class Structure : public ::testing::TestWithParam<ScreenPair> {
protected:
    PlayFixture f{GetParam()};
    PlayScreen& s = f.screen;
    const Widgets& w = kWidgets.at(GetParam());
};

TEST_P(Structure, WidgetsAreThereWithTheirNamesAndCaptions) {
    EXPECT_EQ(s.windowTitle(), QString::fromLatin1(w.caption));
    EXPECT_EQ(s.p1label.count(), w.lamps);
    EXPECT_EQ(s.p1label.lowerBound(), 0);
    EXPECT_EQ(s.p1label.upperBound(), w.lamps - 1);
    EXPECT_EQ(s.gscorelabel != nullptr, w.gamma);
    EXPECT_EQ(s.LabelGamma != nullptr, w.gamma);
    EXPECT_EQ(s.g10 != nullptr, w.gamma);
    EXPECT_EQ(s.g5 != nullptr, w.gamma);
    EXPECT_EQ(s.b5->objectName(), QString::fromLatin1(w.beta5Name));
    EXPECT_EQ(s.findChild<QWidget*>(QString::fromLatin1(w.beta5Name)), s.b5);
    EXPECT_EQ(s.Label1->isVisibleTo(&s), w.label1Visible);

    struct Caption {
        QWidget* widget;
        const char* name;
        const char* text;
        bool visible;
    };
    std::vector<Caption> captions = {
        {s.timerlabel, "timerlabel", "0", true},
        {s.Label2, "Label2", "Response Timer", true},
        {s.Labeltimerstate, "Labeltimerstate", "", true},
        {s.clocklabel, "clocklabel", "15:00", true},
        {s.Label3, "Label3", "Match Timer", true},
        {s.Commandsetupmenu, "Commandsetupmenu", "Set-up Menu", true},
        {s.CommandT, "CommandT", "T", false},
        {s.CommandB, "CommandB", "B", false},
        {s.CommandA, "CommandA", "A", false},
        {s.Command20, "Command20", "20", false},
        {s.Labelteam, "Labelteam", "", true},
        {s.ascorelabel, "ascorelabel", "0", true},
        {s.bscorelabel, "bscorelabel", "0", true},
        {s.a10, "a10", "10", false},
        {s.a5, "a5", "5", false},
        {s.b10, "b10", "10", false},
        {s.b5, w.beta5Name, "5", false},
        {s.Labelalpha, "Labelalpha", "Alpha", true},
        {s.LabelBeta, "LabelBeta", "Beta", true},
        {s.namelabel, "namelabel", "Torvanel", true},
    };
    if (w.gamma) {
        captions.push_back({s.gscorelabel, "gscorelabel", "0", true});
        captions.push_back({s.LabelGamma, "LabelGamma", "Gamma", true});
        captions.push_back({s.g10, "g10", "10", false});
        captions.push_back({s.g5, "g5", "5", false});
    }
    for (const Caption& c : captions) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.widget->objectName(), QString::fromLatin1(c.name));
        EXPECT_EQ(c.widget->isVisibleTo(&s), c.visible);
        if (auto* l = qobject_cast<QLabel*>(c.widget)) {
            EXPECT_EQ(l->text(), QString::fromLatin1(c.text));
        } else if (auto* b = qobject_cast<QPushButton*>(c.widget)) {
            EXPECT_EQ(b->text(), QString::fromLatin1(c.text));
            EXPECT_EQ(b->focusPolicy(), Qt::NoFocus) << "buttons never take the operator keys";
        }
    }
}

TEST_P(Structure, DesignColours) {
    const QColor blue(0, 0, 255);
    EXPECT_EQ(s.screenBackColour(), blue);
    for (QWidget* l : {static_cast<QWidget*>(s.Labelteam), static_cast<QWidget*>(s.Labeltimerstate),
                       static_cast<QWidget*>(s.Label2), static_cast<QWidget*>(s.Label3)}) {
        EXPECT_EQ(backColour(l), blue) << l->objectName().toStdString();
    }
    EXPECT_EQ(foreColour(s.namelabel), QColor(192, 0, 0));
    EXPECT_EQ(foreColour(s.ascorelabel), QColor(0, 0, 0));
    for (QWidget* l : {static_cast<QWidget*>(s.namelabel), static_cast<QWidget*>(s.ascorelabel),
                       static_cast<QWidget*>(s.timerlabel), static_cast<QWidget*>(s.p1label[0])}) {
        EXPECT_EQ(backColour(l), buttonFaceColour()) << l->objectName().toStdString();
        EXPECT_TRUE(l->autoFillBackground());
    }

    // The colour settings reach the window and its four labels, and the
    // name and team, and nothing else.
    s.setScreenBackColour(QColor(10, 20, 30));
    s.setScreenTextColour(QColor(200, 200, 0));
    EXPECT_EQ(backColour(s.Label3), QColor(10, 20, 30));
    EXPECT_EQ(backColour(s.namelabel), buttonFaceColour());
    EXPECT_EQ(foreColour(s.Labelteam), QColor(200, 200, 0));
    EXPECT_EQ(s.screenTextColour(), QColor(200, 200, 0));
    EXPECT_EQ(foreColour(s.ascorelabel), QColor(0, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(AllScreens, Structure, ::testing::ValuesIn(kAllScreens), screenLabel);

// --- Layout at display sizes --------------------------------------------------

struct Display {
    ScreenPair screen;
    QSize size;
};

void PrintTo(const Display& d, std::ostream* os) {
    *os << screenName(d.screen).toStdString() << " at " << d.size.width() << "x" << d.size.height();
}

std::vector<Display> allDisplays() {
    std::vector<Display> all;
    for (ScreenPair s : kAllScreens) {
        for (QSize size :
             {QSize(1024, 768), QSize(1920, 1080), QSize(3840, 2160), QSize(800, 600)}) {
            all.push_back({s, size});
        }
    }
    return all;
}

std::string displayLabel(const ::testing::TestParamInfo<Display>& info) {
    return screenName(info.param.screen).toStdString() + "_" +
           std::to_string(info.param.size.width()) + "x" + std::to_string(info.param.size.height());
}

class Layout : public ::testing::TestWithParam<Display> {
protected:
    Layout() {
        s.resize(GetParam().size);
        s.show();
        QApplication::processEvents();
    }
    ~Layout() override { s.hide(); }

    std::vector<QWidget*> shownWidgets() const {
        std::vector<QWidget*> all;
        for (QWidget* w : s.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->isVisibleTo(&s)) all.push_back(w);
        }
        return all;
    }
    std::vector<ScaledLabel*> textLabels() const {
        std::vector<ScaledLabel*> all;
        for (ScaledLabel* l : s.findChildren<ScaledLabel*>()) {
            if (l->isVisibleTo(&s) && !l->text().trimmed().isEmpty()) all.push_back(l);
        }
        return all;
    }
    // The most that two neighbours drawn to share a border line may overlap.
    int hairline() const {
        return static_cast<int>(std::ceil(std::max(s.scaleX(), s.scaleY()))) + 1;
    }

    void expectTextsFit() {
        for (ScaledLabel* l : textLabels()) {
            SCOPED_TRACE(l->objectName().toStdString() + ": " + l->text().toStdString());
            const QFontMetricsF m(l->fittedFont());
            const QString text = l->text().trimmed();
            const QRectF area = l->textArea();
            EXPECT_LE(m.horizontalAdvance(text), area.width() + 0.5);
            EXPECT_LE(m.capHeight(), area.height() + 0.5);
            EXPECT_TRUE(QRectF(l->rect()).contains(area));
        }
    }

    PlayFixture f{GetParam().screen};
    PlayScreen& s = f.screen;
};

TEST_P(Layout, FillsTheWindow) {
    ASSERT_EQ(s.size(), GetParam().size);
    QRect used;
    for (QWidget* w : shownWidgets()) {
        EXPECT_TRUE(s.rect().contains(w->geometry())) << w->objectName().toStdString();
        used = used.united(w->geometry());
    }
    const QSize size = GetParam().size;
    EXPECT_LT(used.left(), size.width() * 0.07);
    EXPECT_GT(used.right(), size.width() * 0.93);
    EXPECT_LT(used.top(), size.height() * 0.03);
    EXPECT_GT(used.bottom(), size.height() * 0.85);
}

TEST_P(Layout, NothingOverlaps) {
    const auto widgets = shownWidgets();
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        for (std::size_t j = i + 1; j < widgets.size(); ++j) {
            QWidget* a = widgets[i];
            QWidget* b = widgets[j];
            const QRect both = a->geometry().intersected(b->geometry());
            if (both.isEmpty()) continue;
            // The diagnostic label of one screen sits inside the team banner
            // by design.
            const bool diagnostic = a == s.Label1 || b == s.Label1;
            if (diagnostic && (a == s.Labelteam || b == s.Labelteam)) continue;
            EXPECT_TRUE(both.width() <= hairline() || both.height() <= hairline())
                << a->objectName().toStdString() << " and " << b->objectName().toStdString()
                << " overlap by " << both.width() << "x" << both.height();
        }
    }
}

TEST_P(Layout, ShapesStaySquare) {
    for (const auto& [i, lamp] : s.p1label) {
        EXPECT_EQ(lamp->width(), lamp->height()) << i;
    }
    for (QWidget* tab : {s.CommandT, s.a10, s.b5})
        EXPECT_EQ(tab->width(), tab->height());
}

TEST_P(Layout, DesignTextsKeepTheirScaledSize) {
    // What the design shows fits without shrinking, and grows with the
    // display.
    for (ScaledLabel* l : textLabels()) {
        if (l == s.Label1) continue;
        SCOPED_TRACE(l->objectName().toStdString());
        EXPECT_EQ(l->fittedFont().pixelSize(), l->scaledFont().pixelSize());
    }
    const double scale = std::min(s.scaleX(), s.scaleY());
    EXPECT_NEAR(s.namelabel->scaledFont().pixelSize(), 75.75 * 96 / 72 * scale, 1.0);
    EXPECT_NEAR(s.ascorelabel->scaledFont().pixelSize(), 128.25 * 96 / 72 * scale, 1.0);
    s.namelabel->setText(QStringLiteral("Bartholomew"));
    s.ascorelabel->setText(QStringLiteral("120"));
    s.bscorelabel->setText(QStringLiteral("-35"));
    for (ScaledLabel* l : {s.namelabel, s.ascorelabel, s.bscorelabel}) {
        EXPECT_EQ(l->fittedFont().pixelSize(), l->scaledFont().pixelSize())
            << l->text().toStdString();
    }
}

TEST_P(Layout, LongTextsShrinkToFitAndStayLegible) {
    s.namelabel->setText(QStringLiteral("Bartholomew Fitzgerald-Smythe"));
    s.Labelteam->setText(QStringLiteral("The Quizzing Dragons of Upper Wold"));
    s.Labeltimerstate->setText(QStringLiteral("Auxillary"));
    s.timerlabel->setText(QStringLiteral("-32768"));
    s.clocklabel->setText(QStringLiteral(" -32768:59"));
    s.Labelalpha->setText(QStringLiteral("St Fitzwilliam's Academy"));
    for (int team = 0; team < s.variant().teams; ++team) {
        s.scoreLabel(team)->setText(QStringLiteral("-32768"));
    }
    s.Label1->setText(QStringLiteral("Naddress is:  65535"));
    expectTextsFit();
    // A five-digit negative score is still a large figure.
    const double full = s.ascorelabel->scaledFont().pixelSize();
    EXPECT_GT(s.ascorelabel->fittedFont().pixelSize(), 0.45 * full);
    EXPECT_GT(s.bscorelabel->fittedFont().pixelSize(), 0.45 * full);
    s.ascorelabel->setText(QStringLiteral("1045"));
    EXPECT_GT(s.ascorelabel->fittedFont().pixelSize(), 0.65 * full);
}

TEST_P(Layout, ScoresKeepClearOfTabsOnShow) {
    s.ascorelabel->setText(QStringLiteral("888"));
    s.bscorelabel->setText(QStringLiteral("-88"));
    const QRectF before = s.ascorelabel->textArea();
    const std::vector<QWidget*> tabs = {s.a10, s.a5, s.b10, s.b5};
    for (QWidget* tab : tabs)
        tab->show();
    for (ScaledLabel* board : {s.ascorelabel, s.bscorelabel}) {
        const QRectF onScreen = board->textArea().translated(board->pos());
        for (QWidget* tab : tabs) {
            EXPECT_FALSE(onScreen.intersects(QRectF(tab->geometry())))
                << board->objectName().toStdString() << " under "
                << tab->objectName().toStdString();
        }
    }
    expectTextsFit();
    EXPECT_GT(s.ascorelabel->textArea().top(), before.top());
    // Hidden again, the boards get the room back.
    for (QWidget* tab : tabs)
        tab->hide();
    EXPECT_EQ(s.ascorelabel->textArea(), before);
}

INSTANTIATE_TEST_SUITE_P(Displays, Layout, ::testing::ValuesIn(allDisplays()), displayLabel);

}  // namespace
