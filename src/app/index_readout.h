#pragma once
// The status bar's readout pane: the drawn record's spectral indices,
// "NDVI 0.712  PRI -0.031  REP 718.4 nm  MTCI 2.84", "—" where a record has
// no value, then the sun's zenith where the result settings place it and
// the quality flags an index table would give the record; empty while no
// record is drawn; while the pointer is over the spectrum chart, the values
// under it instead. The message pane beside it
// keeps its messages. A text wider than the pane is set in a smaller font.

#include <QLabel>

#include "session/session.h"

class QStatusBar;

namespace varnelo {

class CVarneloView;
class ResultSettings;

class IndexReadout : public QLabel {
    Q_OBJECT
public:
    IndexReadout(const Session& session, const ResultSettings& results, QWidget* parent);

public slots:
    // Record `record` of the session's document; below 0: none.
    void showRecord(int record);
    // The pointer readout; empty: the record's indices again.
    void showPointer(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslateUi();
    void showFitted(const QString& text);

    const Session& m_session;
    const ResultSettings& m_results;
    int m_record = -1;
    QString m_indices;
    QString m_pointer;
};

// Puts the readout into the status bar's permanent part, after what is
// there already, and has it follow the record the view draws.
IndexReadout* InstallIndexReadout(QStatusBar* bar, CVarneloView* view, const Session& session,
                                  const ResultSettings& results);

}  // namespace varnelo
