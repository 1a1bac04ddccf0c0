#pragma once
// View > "軌跡の色": what the track chart colours its points by, none (the
// chart exactly as without this menu) or one of NDVI, PRI, REP and MTCI.
// The choice is kept in the profile. The values of the chosen index are
// computed once per document and reused for every record drawn.

#include <QMenu>
#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/spectral_index.h"
#include "charts/canvas.h"
#include "charts/track_chart.h"
#include "session/session.h"

class QActionGroup;

namespace varnelo {

class CVarneloView;

class TrackColourMenu : public QMenu {
    Q_OBJECT
public:
    TrackColourMenu(const Session& session, QWidget* parent);

    std::optional<SpectralIndex> chosen() const { return m_chosen; }
    // Chooses as the menu would; nothing for none.
    void choose(std::optional<SpectralIndex> index);

    // The track chart of record k as chosen.
    void draw(Canvas& canvas, const TrackChartData& data, int k);

signals:
    void changed();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslateUi();

    const Session& m_session;
    QActionGroup* m_group = nullptr;
    QAction* m_none = nullptr;
    std::optional<SpectralIndex> m_chosen;
    // The chosen index of the document's records, for trackVersion m_version.
    std::vector<IndexValue> m_values;
    std::optional<SpectralIndex> m_valuesOf;
    std::uint64_t m_version = 0;
};

// Adds the menu to the view menu and has the view draw its track through it,
// redrawn when the choice changes.
TrackColourMenu* InstallTrackColourMenu(QMenu* viewMenu, CVarneloView* view, const Session& session);

}  // namespace varnelo
