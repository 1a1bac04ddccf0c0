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
#include "io/status.h"
#include "settings/setting_page.h"
#include "settings/settings_file.h"

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace varnelo {

class LoggerThread;

class CSettingDlg : public QDialog {
    Q_OBJECT

public:
    // The blocks shown are copies; logger is the logger thread that sends
    // an assignment, or null when no logger is connected: assignments then
    // change the dialog's copy only, and the foot line says so. Without
    // deviceInfoRead the block is not the logger's, and sending it would
    // overwrite the other channel and the reserved bytes: nothing is sent
    // then either. The foot line says how a sending ended once it has.
    CSettingDlg(const DeviceInfoBlock& deviceInfo, const ParameterBlock& parameters, LoggerThread* logger,
                bool deviceInfoRead = true, QWidget* parent = nullptr);
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
    // Sends the block, or says why not.
    void upload(int number);
    void showUploaded(const Status& sent);
    void setFootLine(std::function<QString()> wording);

    DeviceInfoBlock m_deviceInfo;
    ParameterBlock m_parameters;
    LoggerThread* m_logger;
    int m_sending = 0;  // the channel whose block is on its way; 0: none
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
