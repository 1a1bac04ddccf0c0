#pragma once
// The status bar's readout of the drawn record's spectral indices, beside
// the pointer readout: "NDVI 0.712  PRI -0.031  REP 718.4 nm  MTCI 2.84",
// "—" where a record has no value. Empty while no record is drawn.

#include <QLabel>

#include "session/session.h"

class QStatusBar;

namespace varnelo {

class CVarneloView;

class IndexReadout : public QLabel {
    Q_OBJECT
public:
    IndexReadout(const Session& session, QWidget* parent);

public slots:
    // Record `record` of the session's document; below 0: none.
    void showRecord(int record);

private:
    const Session& m_session;
};

// Puts the readout into the status bar's permanent part, first in it (next
// to the message pane), and has it follow the record the view draws.
IndexReadout* InstallIndexReadout(QStatusBar* bar, CVarneloView* view, const Session& session);

}  // namespace varnelo
