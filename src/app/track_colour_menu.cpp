#include "app/track_colour_menu.h"

#include <QActionGroup>
#include <QEvent>
#include <QSettings>

#include "app/varnelo_view.h"

namespace varnelo {

namespace {

const QString PROFILE_TRACK_COLOUR = QStringLiteral("view/trackColour");

std::optional<SpectralIndex> FromProfile(const QString& text) {
    std::string error;
    if (text.isEmpty()) return std::nullopt;
    return ParseIndexName(text.toStdString(), error);
}

}  // namespace

TrackColourMenu::TrackColourMenu(const Session& session, QWidget* parent) : QMenu(parent), m_session(session) {
    m_group = new QActionGroup(this);
    m_group->setExclusive(true);
    const auto add = [this](const QString& text, std::optional<SpectralIndex> index) {
        QAction* action = addAction(text);
        action->setCheckable(true);
        m_group->addAction(action);
        connect(action, &QAction::triggered, this, [this, index] { choose(index); });
        return action;
    };
    m_none = add(QString(), std::nullopt);
    m_none->setChecked(true);
    for (const SpectralIndex& index : DefaultIndices()) add(QString::fromStdString(IndexName(index)), index);
    choose(FromProfile(QSettings().value(PROFILE_TRACK_COLOUR).toString()));
    retranslateUi();
}

void TrackColourMenu::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QMenu::changeEvent(event);
}

void TrackColourMenu::retranslateUi() {
    //: View menu: submenu choosing what colours the points of the GPS track chart.
    setTitle(tr("軌跡の色"));
    //: Track colour: none; the track is drawn plain, as without colouring.
    m_none->setText(tr("なし"));
}

void TrackColourMenu::choose(std::optional<SpectralIndex> index) {
    m_chosen = index;
    const QList<QAction*> actions = m_group->actions();
    const auto defaults = DefaultIndices();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const bool mine = i == 0 ? !index : index && *index == defaults[static_cast<std::size_t>(i - 1)];
        if (mine) actions[i]->setChecked(true);
    }
    QSettings().setValue(PROFILE_TRACK_COLOUR,
                         index ? QString::fromStdString(IndexName(*index)).toLower() : QString());
    emit changed();
}

void TrackColourMenu::draw(Canvas& canvas, const TrackChartData& data, int k) {
    if (!m_chosen) {
        DrawTrackChart(canvas, data, k);
        return;
    }
    if (m_valuesOf != m_chosen || m_version != m_session.trackVersion()) {
        m_values = IndexOfRecords(m_session.doc(), m_session.trackCount(), *m_chosen);
        m_valuesOf = m_chosen;
        m_version = m_session.trackVersion();
    }
    DrawTrackChart(canvas, data, k, MakeTrackColouring(*m_chosen, m_values));
}

TrackColourMenu* InstallTrackColourMenu(QMenu* viewMenu, CVarneloView* view, const Session& session) {
    auto* menu = new TrackColourMenu(session, viewMenu);
    viewMenu->addMenu(menu);
    view->setTrackDrawing([menu](Canvas& canvas, const TrackChartData& data, int k) { menu->draw(canvas, data, k); });
    QObject::connect(menu, &TrackColourMenu::changed, view, &CVarneloView::redrawTrack);
    return menu;
}

}  // namespace varnelo
