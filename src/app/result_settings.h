#pragma once
// View > "結果の設定...": the choices every result the window writes is
// made with (export/result_choices.h), kept in the profile, and the stages
// they give the open records. A choice that does not fit the records is
// said in a message box naming the setting, and nothing is written.

#include <QObject>
#include <optional>

#include "export/result_choices.h"

class QWidget;

namespace varnelo {

class ResultSettings : public QObject {
    Q_OBJECT
public:
    explicit ResultSettings(QObject* parent);

    const ResultChoices& choices() const { return m_choices; }
    void setChoices(const ResultChoices& choices);

    // The stages for `doc`, or nothing once the problem has been shown over `parent`.
    std::optional<RowStages> stagesFor(const CVarneloDoc& doc, QWidget* parent) const;

    // The setting a problem lies in, in the window's language.
    static QString problemText(ChoiceProblem::Field field);

signals:
    void changed();

private:
    ResultChoices m_choices;
};

}  // namespace varnelo
