#pragma once
// The settings dialog: the logger's blocks shown as four pages, a settings
// file's sensor heads, and the channel buttons that give ch.1 or ch.2 a head
// and send the block to the logger at once. Modal; opened only while a logger
// is connected. The last settings file is remembered in the profile
// ("setting"/"file") and loaded again the next time.

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

#include "data/document.h"
#include "device/byte_link.h"
#include "settings/setting_page.h"
#include "settings/settings_file.h"

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace varnelo {

class CSettingDlg : public QDialog {
    Q_OBJECT

public:
    // link is the connected logger's, or null when there is none: assignments
    // then change the document only, and the foot line says so. Without
    // deviceInfoRead the document's block is not the logger's, and sending
    // it would overwrite the other channel and the reserved bytes: nothing is
    // sent then either.
    CSettingDlg(DeviceInfoBlock& deviceInfo, const ParameterBlock& parameters, ByteLink* link,
                bool deviceInfoRead = true, QWidget* parent = nullptr);
    // The document's blocks.
    CSettingDlg(CVarneloDoc& doc, ByteLink* link, bool deviceInfoRead = true, QWidget* parent = nullptr)
        : CSettingDlg(doc.deviceInfo(), doc.parameterBlock(), link, deviceInfoRead, parent) {}
    ~CSettingDlg() override;

    SettingPage currentPage() const { return m_currentPage; }
    const QString& settingsFilePath() const { return m_settingsFilePath; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    void retranslateUi();
    void showPage();
    void selectPage(SettingPage page);
    void loadSettingsFile();
    void onBrowse();
    void onChannel(int channel);
    // Sends the block; the wording of the foot line's text for ch.`number`.
    std::function<QString()> uploadOutcome(int number);

    DeviceInfoBlock& m_deviceInfo;
    const ParameterBlock& m_parameters;
    ByteLink* m_link;
    bool m_deviceInfoRead;
    SettingPage m_currentPage = SettingPage::Hardware;
    QString m_settingsFilePath;
    SensorTable m_sensorTable;

    QListWidget* m_sensorList = nullptr;
    QListWidget* m_pageList = nullptr;
    std::array<QRadioButton*, SETTING_PAGE_COUNT> m_pageRadios{};
    QLabel* m_footLine = nullptr;
    std::function<QString()> m_footWording;  // the foot line's text; none: empty
    QPushButton* m_close = nullptr;
    QPushButton* m_browse = nullptr;
};

}  // namespace varnelo
