#pragma once
// View > "結果の設定...": the result choices as fields, left open beside
// the window so that the records over the white panel can be picked in the
// list one after another and added with "選択したレコードをパネルにする".
// OK keeps the choices once every field reads; a field that does not is
// named and given the focus.

#include <QDialog>

#include "app/result_settings.h"

class QAction;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;

namespace varnelo {

class ResultSettingsDialog : public QDialog {
    Q_OBJECT
public:
    ResultSettingsDialog(ResultSettings& settings, const QListWidget* records, QWidget* parent);

    // Adds the record selected in the list to the panel records.
    void addSelectedPanel();
    void accept() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslateUi();
    void fill(const ResultChoices& choices);
    ResultChoices typed() const;
    void browseReflectance();
    QLineEdit* field(ChoiceProblem::Field field) const;

    ResultSettings& m_settings;
    const QListWidget* m_records;
    QRadioButton* m_noOffset;
    QRadioButton* m_autoOffset;
    QRadioButton* m_givenOffset;
    QLineEdit* m_offset;
    QLabel* m_panelLabel;
    QLineEdit* m_panel;
    QPushButton* m_addPanel;
    QLabel* m_reflectanceLabel;
    QLineEdit* m_reflectance;
    QPushButton* m_browse;
    QLabel* m_zenithLabel;
    QLineEdit* m_zenith;
    QLabel* m_saturationLabel;
    QLineEdit* m_saturation;
    QLabel* m_offsetTitle;
    QDialogButtonBox* m_buttons;
};

// Appends View > "結果の設定..." to the menu, its text the frame's to
// set; the dialog it opens is one, brought forward when already open.
QAction* InstallResultSettingsMenu(QMenu* viewMenu, ResultSettings& settings, const QListWidget* records,
                                   QWidget* parent);

}  // namespace varnelo
