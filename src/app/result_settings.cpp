#include "app/result_settings.h"

#include <QMessageBox>
#include <QSettings>

namespace varnelo {

namespace {

const QString PROFILE_OFFSET = QStringLiteral("results/utcOffset");
const QString PROFILE_PANEL = QStringLiteral("results/panelRecords");
const QString PROFILE_PANEL_REFLECTANCE = QStringLiteral("results/panelReflectance");
const QString PROFILE_MAX_ZENITH = QStringLiteral("results/maxZenith");
const QString PROFILE_SATURATION = QStringLiteral("results/saturation");
const QString AUTO = QStringLiteral("auto");

}  // namespace

ResultSettings::ResultSettings(QObject* parent) : QObject(parent) {
    // "" no offset, "auto", or the offset given.
    QSettings profile;
    const QString offset = profile.value(PROFILE_OFFSET).toString();
    m_choices.offset = offset.isEmpty() ? ResultChoices::Offset::None
                       : offset == AUTO ? ResultChoices::Offset::Auto
                                        : ResultChoices::Offset::Given;
    if (m_choices.offset == ResultChoices::Offset::Given) m_choices.givenOffset = offset.toStdString();
    m_choices.panelRecords = profile.value(PROFILE_PANEL).toString().toStdString();
    m_choices.panelReflectance = profile.value(PROFILE_PANEL_REFLECTANCE).toByteArray().toStdString();
    m_choices.maxZenith = profile.value(PROFILE_MAX_ZENITH, QString::fromStdString(m_choices.maxZenith)).toString().toStdString();
    m_choices.saturation =
        profile.value(PROFILE_SATURATION, QString::fromStdString(m_choices.saturation)).toString().toStdString();
}

void ResultSettings::setChoices(const ResultChoices& choices) {
    if (choices == m_choices) return;
    m_choices = choices;
    QSettings profile;
    profile.setValue(PROFILE_OFFSET, choices.offset == ResultChoices::Offset::None ? QString()
                                     : choices.offset == ResultChoices::Offset::Auto
                                         ? AUTO
                                         : QString::fromStdString(choices.givenOffset));
    profile.setValue(PROFILE_PANEL, QString::fromStdString(choices.panelRecords));
    // A path's bytes, whatever they are.
    profile.setValue(PROFILE_PANEL_REFLECTANCE, QByteArray::fromStdString(choices.panelReflectance));
    profile.setValue(PROFILE_MAX_ZENITH, QString::fromStdString(choices.maxZenith));
    profile.setValue(PROFILE_SATURATION, QString::fromStdString(choices.saturation));
    emit changed();
}

std::optional<RowStages> ResultSettings::stagesFor(const CVarneloDoc& doc, QWidget* parent) const {
    auto resolved = ResolveStages(m_choices, doc);
    if (auto* stages = std::get_if<RowStages>(&resolved)) return std::move(*stages);
    const ChoiceProblem& problem = std::get<ChoiceProblem>(resolved);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Varnelo"), problemText(problem.field), QMessageBox::Ok, parent);
    box.setInformativeText(QString::fromStdString(problem.detail));
    box.exec();
    return std::nullopt;
}

QString ResultSettings::problemText(ChoiceProblem::Field field) {
    switch (field) {
    case ChoiceProblem::Field::Offset:
        //: Message box: the UTC offset of the result settings is wrong or cannot be found from the GPS time.
        return tr("結果の設定の UTC からの時差を使えません。");
    case ChoiceProblem::Field::PanelRecords:
        //: Message box: the white panel records of the result settings are not a list or lie beyond the records.
        return tr("結果の設定の白色板のレコードを使えません。");
    case ChoiceProblem::Field::PanelReflectance:
        //: Message box: the white panel's certified reflectance (a factor or a CSV file) cannot be read.
        return tr("結果の設定の白色板の反射率を読めません。");
    case ChoiceProblem::Field::MaxZenith:
        //: Message box: the largest sun zenith angle of the result settings is not a number of degrees 0..180.
        return tr("結果の設定の最大天頂角が正しくありません。");
    case ChoiceProblem::Field::Saturation:
        //: Message box: the saturation level (counts) of the result settings is not a positive number.
        return tr("結果の設定の飽和レベルが正しくありません。");
    }
    return {};
}

}  // namespace varnelo
