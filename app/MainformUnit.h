// The main window: the .cxf file, the export directory, the export type and
// the exclusion options, the head text editor and the export button.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "AppServicesUnit.h"
#include "ExportRunUnit.h"
#include "SettingsStoreUnit.h"

class QButtonGroup;
class QCheckBox;
class QFileDialog;
class QFrame;
class QRadioButton;
class QToolButton;
class THtmlHeaderEditWindow;

// A push button that reports every mouse button pressed on it. It is never
// activated through clicked(): a press is all that counts.
class TMouseDownButton : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;

signals:
    void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Pos);

protected:
    void mousePressEvent(QMouseEvent* Event) override;
};

// A label that acts as a link: it reports the mouse entering and leaving it
// and a click (press and release of the left button over it).
class TLinkLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void MouseEnter();
    void MouseLeave();
    void Click();

protected:
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    bool Pressed = false;
};

// A group box of exclusive radio items, one of them or none selected.
class TRadioGroup : public QGroupBox {
    Q_OBJECT

public:
    TRadioGroup(const QString& Caption, const QStringList& Items, QWidget* Parent);
    int ItemIndex() const;       // -1 when no item is selected
    void SetItemIndex(int Index);  // -1 (or any index outside) selects none
    int ItemCount() const { return static_cast<int>(FItems.size()); }
    QRadioButton* Item(int Index) const { return FItems.at(Index); }
    // Places the items in equal rows below the caption.
    void ArrangeItems();

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    QButtonGroup* FGroup;
    QList<QRadioButton*> FItems;
};

inline const QString MainformCaption = QStringLiteral("Televio - Zanvero v0.4 alpha");
inline const QString MorvaneAddress = QStringLiteral("https://www.morvane.example");
inline const QString MorvaneToolsPage =
    QStringLiteral("https://www.morvane.example/html/index.php?page=tools&lang=deutsch&menu=on");
inline const QString ExportDirectoryChooserTitle = QStringLiteral("Exportverzeichnis wählen:");
// The comparison with an older file.
inline const QString CompareButtonCaption = QStringLiteral("&Vergleichen…");
inline const QString CompareButtonHint =
    QStringLiteral("Die .cxf-Datei mit einer älteren vergleichen: neue, entfernte und geänderte Kanäle");
inline const QString CompareOpenDialogTitle = QStringLiteral("Ältere .cxf-Datei zum Vergleich wählen");
inline const QString ReportSaveDialogTitle = QStringLiteral("Änderungsbericht speichern");
inline const QString HtmlReportFilter = QStringLiteral("Änderungsbericht als HTML-Seite (*.html)");
inline const QString CsvReportFilter = QStringLiteral("Änderungsbericht als CSV-Datei (*.csv)");

inline constexpr int CreatedOpacity = 245;
inline constexpr int ActiveOpacity = 255;
inline constexpr int InactiveOpacity = 220;

class TMainform : public QWidget, public IExportHost {
    Q_OBJECT

public:
    // Loads the settings (FormCreate) while it is created.
    explicit TMainform(TAppServices& Services = TAppServices::Default(), QWidget* Parent = nullptr);
    ~TMainform() override;

    // The editor that Button1 opens; the window does not own it.
    void SetHtmlHeaderEditWindow(THtmlHeaderEditWindow* Editor) { HtmlHeaderEditWindow = Editor; }

    // Makes FileName (relative to the working directory, or absolute) the
    // chosen .cxf file: the label shows its full path and the open dialog
    // next starts in its folder. The file need not exist. The file chooser,
    // a file named on the command line and a file dropped on the window all
    // come here.
    void ChooseCxfFile(const QString& FileName);

    // Event handlers.
    void FormCreate();
    void FormClose();
    void ExportStartButtonMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Pos);
    // Compares the chosen .cxf file with an older one that the user picks
    // and saves the change report under a name the user gives, as HTML or
    // CSV; the exclusions act as in an export.
    void CompareButtonClick();
    void CxfFileSelectSpeedButtonClick();
    void ExportDirectorySpeedButtonClick();
    void Button1Click();
    void MorvaneLabelMouseEnter();
    void MorvaneLabelMouseLeave();
    void MorvaneLabelClick();
    void ApplicationActivate();
    void ApplicationDeactivate();

    // IExportHost.
    std::string CxfFileNameText() const override;
    std::string ExportPathText() const override;
    int ExportTypeItemIndex() const override;
    bool ExcludeChannelUFChecked() const override;
    bool ExcludeChannelVPIDChecked() const override;
    bool ExcludeTransponderUFChecked() const override;
    bool ExcludeSatelliteUFChecked() const override;
    const std::vector<std::string>& HeadTextLines() const override { return HtmlHeaderLines; }
    std::string ExportButtonCaption() const override;
    void SetExportButtonCaption(const std::string& Caption) override;
    std::optional<std::string> RunSaveDialog(TSaveDialogKind Kind) override;
    void SetSaveDialogInitialDir(TSaveDialogKind Kind, const std::string& Directory) override;
    void ShowErrorMessage(const std::string& Text) override;
    void ShowInformationMessage(const std::string& Text) override;

    QGroupBox* GroupBox2;
    QLabel* Label1;
    QFrame* CxfFileBevel;
    QLabel* CxfFileNameLabel;
    QToolButton* CxfFileSelectSpeedButton;
    QLabel* Label2;
    QFrame* ExportDirectoryBevel;
    QLabel* ExportPathLabel;
    QToolButton* ExportDirectorySpeedButton;
    TRadioGroup* ExportTypeRadioGroup;
    QPushButton* Button1;
    QGroupBox* GroupBox1;
    QCheckBox* ExcludeChannelUFCheckBox;
    QCheckBox* ExcludeTransponderUFCheckBox;
    QCheckBox* ExcludeChannelVPIDCheckBox;
    QCheckBox* ExcludeSatelliteUFCheckBox;
    TMouseDownButton* ExportStartButton;
    TLinkLabel* MorvaneLabel;
    QFileDialog* CxfFileOpenDialog;
    QFileDialog* CSVFileSaveDialog;
    QFileDialog* SQLFileSaveDialog;
    QPushButton* CompareButton;
    QFileDialog* CompareOpenDialog;
    QFileDialog* ReportSaveDialog;

    // Initial directories of the three file dialogs (native form).
    QString CxfFileOpenDialogInitialDir;
    QString CSVFileSaveDialogInitialDir;
    QString SQLFileSaveDialogInitialDir;
    QString ReportSaveDialogInitialDir;  // not kept between runs; empty: the chosen file's folder

    // The HTML head text, UTF-8 lines.
    std::vector<std::string> HtmlHeaderLines;

protected:
    void closeEvent(QCloseEvent* Event) override;
    // One local file dragged onto the window is taken; anything else is
    // refused, so the cursor shows that it cannot be dropped.
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    void CreateControls();
    TStoredSettings CurrentSettings() const;
    void ApplySettings(const TStoredSettings& Settings);
    QFileDialog* SaveDialog(TSaveDialogKind Kind) const;
    QString& SaveDialogInitialDir(TSaveDialogKind Kind);
    template <typename Handler>
    void Guarded(Handler&& Body) {
        RunGuarded(Services, this, std::forward<Handler>(Body));
    }

    TAppServices& Services;
    std::unique_ptr<IExportBackend> Backend;
    THtmlHeaderEditWindow* HtmlHeaderEditWindow = nullptr;
    bool SettingsSaved = false;
};

// The decimal separator handed to the loader: the locale's by the rule of
// DefaultDecimalSeparator, else the one the core finds in the environment.
char LoaderDecimalSeparator();
