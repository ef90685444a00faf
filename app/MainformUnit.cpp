#include "MainformUnit.h"

#include "CompareRunUnit.h"
#include "FrontendRulesUnit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QRadioButton>
#include <QToolButton>
#include <tuple>

#include "HtmlHeaderEditWindowUnit.h"
#include "ScreenPlacementUnit.h"

#include "AppServicesUnit.h"

// ---------------------------------------------------------------------------
// TMouseDownButton

void TMouseDownButton::mousePressEvent(QMouseEvent* Event) {
    // The base class is left out on purpose: it would take the press as the
    // start of a click, and a modal dialog opened by the press handler would
    // then leave the button stuck in its pressed look.
    if (Event->button() == Qt::LeftButton) setFocus(Qt::MouseFocusReason);
    Event->accept();
    emit MouseDown(Event->button(), Event->modifiers(), Event->position().toPoint());
}

// ---------------------------------------------------------------------------
// TLinkLabel

void TLinkLabel::enterEvent(QEnterEvent* Event) {
    QLabel::enterEvent(Event);
    emit MouseEnter();
}

void TLinkLabel::leaveEvent(QEvent* Event) {
    QLabel::leaveEvent(Event);
    emit MouseLeave();
}

void TLinkLabel::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton) Pressed = true;
    Event->accept();
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* Event) {
    const bool WasPressed = Pressed && Event->button() == Qt::LeftButton;
    if (Event->button() == Qt::LeftButton) Pressed = false;
    Event->accept();
    if (WasPressed && rect().contains(Event->position().toPoint())) emit Click();
}

// ---------------------------------------------------------------------------
// TRadioGroup

TRadioGroup::TRadioGroup(const QString& Caption, const QStringList& Items, QWidget* Parent)
    : QGroupBox(Caption, Parent), FGroup(new QButtonGroup(this)) {
    FGroup->setExclusive(true);
    for (int i = 0; i < Items.size(); ++i) {
        auto* Button = new QRadioButton(Items[i], this);
        FGroup->addButton(Button, i);
        FItems.append(Button);
    }
}

int TRadioGroup::ItemIndex() const {
    return FGroup->checkedId();
}

void TRadioGroup::SetItemIndex(int Index) {
    if (Index >= 0 && Index < ItemCount()) {
        FItems[Index]->setChecked(true);
        return;
    }
    // An exclusive group refuses to lose its last checked item.
    FGroup->setExclusive(false);
    for (QRadioButton* Button : FItems) Button->setChecked(false);
    FGroup->setExclusive(true);
}

void TRadioGroup::ArrangeItems() {
    // The items share the height below the caption in equal rows.
    if (FItems.isEmpty()) return;
    const int TextHeight = fontMetrics().height();
    const int Count = ItemCount();
    const int Available = height() - TextHeight - 5;
    const int RowHeight = Available / Count;
    const int TopMargin = TextHeight + 1 + (Available % Count) / 2;
    for (int i = 0; i < Count; ++i) FItems[i]->setGeometry(8, TopMargin + i * RowHeight, width() - 10, RowHeight);
}

void TRadioGroup::resizeEvent(QResizeEvent* Event) {
    QGroupBox::resizeEvent(Event);
    ArrangeItems();
}

// ---------------------------------------------------------------------------
// TMainform

namespace {

QPalette WithColor(QPalette Palette, QPalette::ColorRole Role, const QColor& Color) {
    Palette.setColor(Role, Color);
    return Palette;
}

QFileDialog* NewFileDialog(QWidget* Parent, const QString& Title, QFileDialog::AcceptMode Mode, const QString& Filter,
                           const QString& DefaultSuffix) {
    auto* Dialog = new QFileDialog(Parent, Title);
    Dialog->setAcceptMode(Mode);
    // A typed name that does not exist (yet) is accepted.
    Dialog->setFileMode(QFileDialog::AnyFile);
    Dialog->setNameFilter(Filter);
    Dialog->setDefaultSuffix(DefaultSuffix);
    Dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    Dialog->setSizeGripEnabled(true);
    return Dialog;
}

qreal Opacity(int Value) {
    return Value / 255.0;
}

// The file that a drag carries when it is exactly one local file that is not
// a folder; else empty.
QString DraggedFile(const QMimeData* Data) {
    if (!Data || !Data->hasUrls()) return {};
    const QList<QUrl> Urls = Data->urls();
    if (Urls.size() != 1 || !Urls.front().isLocalFile()) return {};
    const QString File = Urls.front().toLocalFile();
    if (File.isEmpty() || QFileInfo(File).isDir()) return {};
    return File;
}

// The report's format: the one the file name's extension names, else the
// chosen filter's.
TReportFormat ReportFormatOf(const QString& FileName, const QString& Filter) {
    const QString Suffix = QFileInfo(FileName).suffix().toLower();
    if (Suffix == QStringLiteral("htm")) return TReportFormat::Html;
    if (const std::optional<TReportFormat> Named = ReportFormatNamed(Suffix.toStdString())) return *Named;
    return Filter == CsvReportFilter ? TReportFormat::Csv : TReportFormat::Html;
}

}  // namespace

char LoaderDecimalSeparator() {
    return DefaultDecimalSeparator(QLocale().decimalPoint().toStdString(), LocaleDecimalSeparator());
}

TMainform::TMainform(TAppServices& AppServices, QWidget* Parent)
    : QWidget(Parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      Services(AppServices),
      Backend(std::make_unique<TCoreExportBackend>(LoaderDecimalSeparator())) {
    setObjectName(QStringLiteral("Mainform"));
    setWindowTitle(MainformCaption);
    setFont(WindowFont());
    setFixedSize(388, 320);
    PlaceOnScreen(*this, QPoint(736, 284));
    setWindowOpacity(Opacity(CreatedOpacity));
    setAcceptDrops(true);
    CreateControls();
    FormCreate();
}

TMainform::~TMainform() = default;

void TMainform::CreateControls() {
    GroupBox2 = new QGroupBox(QStringLiteral(" Input / Output: "), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(8, 8, 369, 105);

    Label1 = new QLabel(QStringLiteral(".cxf-Datei:"), GroupBox2);
    Label1->setGeometry(16, 20, 48, 13);

    const QPalette White = WithColor(palette(), QPalette::Window, Qt::white);
    auto NewPathFrame = [&](int Top) {
        auto* Bevel = new QFrame(GroupBox2);
        Bevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        Bevel->setLineWidth(1);
        Bevel->setGeometry(16, Top, 321, 16);
        auto* Label = new QLabel(GroupBox2);
        Label->setTextFormat(Qt::PlainText);
        Label->setAutoFillBackground(true);
        Label->setPalette(White);
        Label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Label->setGeometry(17, Top + 1, 319, 14);
        auto* Button = new QToolButton(GroupBox2);
        Button->setText(QStringLiteral("..."));
        Button->setAutoRaise(true);
        Button->setFocusPolicy(Qt::NoFocus);
        Button->setGeometry(344, Top, 17, 16);
        return std::make_tuple(Bevel, Label, Button);
    };
    std::tie(CxfFileBevel, CxfFileNameLabel, CxfFileSelectSpeedButton) = NewPathFrame(35);
    CxfFileNameLabel->setObjectName(QStringLiteral("CxfFileNameLabel"));
    CxfFileSelectSpeedButton->setObjectName(QStringLiteral("CxfFileSelectSpeedButton"));
    const QString CxfFileHint = QStringLiteral("Die .cxf-Datei mit „...“ auswählen oder auf das Fenster ziehen");
    CxfFileNameLabel->setToolTip(CxfFileHint);
    CxfFileSelectSpeedButton->setToolTip(CxfFileHint);

    Label2 = new QLabel(QStringLiteral("Zielverzeichnis (HTML-Export):"), GroupBox2);
    Label2->setGeometry(16, 60, 145, 13);

    std::tie(ExportDirectoryBevel, ExportPathLabel, ExportDirectorySpeedButton) = NewPathFrame(76);
    ExportPathLabel->setObjectName(QStringLiteral("ExportPathLabel"));
    ExportDirectorySpeedButton->setObjectName(QStringLiteral("ExportDirectorySpeedButton"));

    ExportTypeRadioGroup = new TRadioGroup(
        QStringLiteral(" Exportart: "),
        {QStringLiteral("HTML, 3 unterschiedlich sortierte Dateien pro Satellit"),
         QStringLiteral("CSV \"Comma separated values\" (Excel-Style), eine große Datei"),
         QStringLiteral("SQL-Dump incl. DROP+CREATE TABLE (MySql), eine große Datei"),
         QStringLiteral("Irgendwelche anderen Formate")},
        this);
    ExportTypeRadioGroup->setObjectName(QStringLiteral("ExportTypeRadioGroup"));
    ExportTypeRadioGroup->setGeometry(8, 120, 369, 89);
    ExportTypeRadioGroup->ArrangeItems();
    ExportTypeRadioGroup->SetItemIndex(etHTML);

    GroupBox1 = new QGroupBox(QStringLiteral(" Vom Export ausschließen: "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 216, 369, 57);
    auto NewCheckBox = [&](const char* Name, const QString& Caption, int Left, int Top, int Width) {
        auto* Box = new QCheckBox(Caption, GroupBox1);
        Box->setObjectName(QLatin1String(Name));
        Box->setGeometry(Left, Top, Width, 17);
        Box->setChecked(true);
        return Box;
    };
    ExcludeChannelUFCheckBox =
        NewCheckBox("ExcludeChannelUFCheckBox", QStringLiteral("Kanäle mit gesetztem UF"), 16, 16, 169);
    ExcludeTransponderUFCheckBox =
        NewCheckBox("ExcludeTransponderUFCheckBox", QStringLiteral("Transponder mit gesetztem UF"), 192, 16, 167);
    ExcludeChannelVPIDCheckBox =
        NewCheckBox("ExcludeChannelVPIDCheckBox", QStringLiteral("Kanäle mit VPID = 0"), 16, 32, 169);
    ExcludeSatelliteUFCheckBox =
        NewCheckBox("ExcludeSatelliteUFCheckBox", QStringLiteral("Satelliten mit gesetztem UF"), 192, 32, 167);

    // Lies over the top right corner of the radio group, beside its first item.
    Button1 = new QPushButton(QStringLiteral("Html-Header"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(289, 132, 81, 17);
    Button1->raise();

    ExportStartButton = new TMouseDownButton(QStringLiteral("&Exportieren"), this);
    ExportStartButton->setObjectName(QStringLiteral("ExportStartButton"));
    // Leaves room on its right for the comparison.
    ExportStartButton->setGeometry(8, 280, 273, 25);

    CompareButton = new QPushButton(CompareButtonCaption, this);
    CompareButton->setObjectName(QStringLiteral("CompareButton"));
    CompareButton->setGeometry(287, 280, 90, 25);
    CompareButton->setToolTip(CompareButtonHint);

    // The leading blanks make the whole width of the window react to the
    // mouse while the address itself stands at the right edge.
    MorvaneLabel = new TLinkLabel(QString(89, QLatin1Char(' ')) + MorvaneAddress, this);
    MorvaneLabel->setObjectName(QStringLiteral("MorvaneLabel"));
    MorvaneLabel->setTextFormat(Qt::PlainText);
    MorvaneLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    MorvaneLabel->setGeometry(11, 307, 366, 13);
    MorvaneLabel->setPalette(WithColor(MorvaneLabel->palette(), QPalette::WindowText,
                                       MorvaneLabel->palette().color(QPalette::Link)));

    CxfFileOpenDialog = NewFileDialog(this, QStringLiteral("Bitte eine Inout-Date auswählen"),
                                      QFileDialog::AcceptOpen, QStringLiteral("Digenius Setting-Dateien (*.cxf)"),
                                      QString());
    CSVFileSaveDialog = NewFileDialog(this, QStringLiteral("CSV-Datei Speichern"), QFileDialog::AcceptSave,
                                      QStringLiteral("Comma Separated Values (*.CSV)"), QStringLiteral("CSV"));
    SQLFileSaveDialog = NewFileDialog(this, QStringLiteral("SQL-Dump-Datei Speichern"), QFileDialog::AcceptSave,
                                      QStringLiteral("SQL-Dump (*.SQL)"), QStringLiteral("SQL"));
    CompareOpenDialog = NewFileDialog(this, CompareOpenDialogTitle, QFileDialog::AcceptOpen,
                                      QStringLiteral("Digenius Setting-Dateien (*.cxf)"), QString());
    ReportSaveDialog = NewFileDialog(this, ReportSaveDialogTitle, QFileDialog::AcceptSave, HtmlReportFilter,
                                     QStringLiteral("html"));
    ReportSaveDialog->setNameFilters({HtmlReportFilter, CsvReportFilter});
    connect(ReportSaveDialog, &QFileDialog::filterSelected, this, [this](const QString& Filter) {
        ReportSaveDialog->setDefaultSuffix(Filter == CsvReportFilter ? QStringLiteral("csv") : QStringLiteral("html"));
    });

    // Tab order: the export button first (it has the focus when the window
    // opens), then the export type, the exclusions, and Html-Header last.
    QWidget* Chain[] = {ExportStartButton,
                        ExportTypeRadioGroup->Item(0),
                        ExportTypeRadioGroup->Item(1),
                        ExportTypeRadioGroup->Item(2),
                        ExportTypeRadioGroup->Item(3),
                        ExcludeTransponderUFCheckBox,
                        ExcludeChannelUFCheckBox,
                        ExcludeSatelliteUFCheckBox,
                        ExcludeChannelVPIDCheckBox,
                        Button1};
    for (std::size_t i = 1; i < std::size(Chain); ++i) setTabOrder(Chain[i - 1], Chain[i]);
    setTabOrder(ExportStartButton, CompareButton);
    ExportStartButton->setFocus();

    connect(ExportStartButton, &TMouseDownButton::MouseDown, this, &TMainform::ExportStartButtonMouseDown);
    connect(CompareButton, &QPushButton::clicked, this, &TMainform::CompareButtonClick);
    connect(CxfFileSelectSpeedButton, &QToolButton::clicked, this, &TMainform::CxfFileSelectSpeedButtonClick);
    connect(ExportDirectorySpeedButton, &QToolButton::clicked, this, &TMainform::ExportDirectorySpeedButtonClick);
    connect(Button1, &QPushButton::clicked, this, &TMainform::Button1Click);
    connect(MorvaneLabel, &TLinkLabel::MouseEnter, this, &TMainform::MorvaneLabelMouseEnter);
    connect(MorvaneLabel, &TLinkLabel::MouseLeave, this, &TMainform::MorvaneLabelMouseLeave);
    connect(MorvaneLabel, &TLinkLabel::Click, this, &TMainform::MorvaneLabelClick);
}

TStoredSettings TMainform::CurrentSettings() const {
    TStoredSettings Settings;
    Settings.CxfFileName = CxfFileNameLabel->text();
    Settings.ExportPath = ExportPathLabel->text();
    Settings.ExportType = ExportTypeRadioGroup->ItemIndex();
    Settings.ExcludeChannelUF = ExcludeChannelUFCheckBox->isChecked();
    Settings.ExcludeChannelVPID = ExcludeChannelVPIDCheckBox->isChecked();
    Settings.ExcludeTransponderUF = ExcludeTransponderUFCheckBox->isChecked();
    Settings.ExcludeSatelliteUF = ExcludeSatelliteUFCheckBox->isChecked();
    Settings.OpenDialogInitialDir = CxfFileOpenDialogInitialDir;
    Settings.CSVFileSaveDialogInitialDir = CSVFileSaveDialogInitialDir;
    Settings.HtmlHeaderLines = HtmlHeaderLines;
    return Settings;
}

void TMainform::ApplySettings(const TStoredSettings& Settings) {
    CxfFileNameLabel->setText(Settings.CxfFileName);
    ExportPathLabel->setText(Settings.ExportPath);
    ExportTypeRadioGroup->SetItemIndex(Settings.ExportType);
    ExcludeChannelUFCheckBox->setChecked(Settings.ExcludeChannelUF);
    ExcludeChannelVPIDCheckBox->setChecked(Settings.ExcludeChannelVPID);
    ExcludeTransponderUFCheckBox->setChecked(Settings.ExcludeTransponderUF);
    ExcludeSatelliteUFCheckBox->setChecked(Settings.ExcludeSatelliteUF);
    CxfFileOpenDialogInitialDir = Settings.OpenDialogInitialDir;
    CSVFileSaveDialogInitialDir = Settings.CSVFileSaveDialogInitialDir;
    HtmlHeaderLines = Settings.HtmlHeaderLines;
}

void TMainform::FormCreate() {
    // Loading fills the controls up to a value of the wrong kind; the
    // activation handlers are attached whatever loading did.
    TStoredSettings Settings = CurrentSettings();
    std::exception_ptr LoadError;
    try {
        const std::unique_ptr<ISettingsKey> Store = Services.OpenSettingsStore();
        LoadSettings(*Store, QDir::toNativeSeparators(QDir::currentPath()), Settings);
    } catch (...) {
        LoadError = std::current_exception();
    }
    ApplySettings(Settings);
    if (LoadError) RunGuarded(Services, this, [&] { ShowErrorBox(Services, this, ExceptionText(LoadError)); });

    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState State) {
        if (State == Qt::ApplicationActive)
            ApplicationActivate();
        else
            ApplicationDeactivate();
    });
}

void TMainform::FormClose() {
    if (SettingsSaved) return;
    SettingsSaved = true;
    Guarded([this] {
        bool Saved = false;
        {
            const std::unique_ptr<ISettingsKey> Store = Services.OpenSettingsStore();
            Saved = SaveSettings(*Store, CurrentSettings());
        }
        HtmlHeaderLines.clear();
        if (!Saved) ShowErrorBox(Services, this, SettingsNotSavedText);
    });
}

void TMainform::closeEvent(QCloseEvent* Event) {
    FormClose();
    Event->accept();
}

void TMainform::ExportStartButtonMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    Guarded([this] { RunExport(*this, *Backend); });
}

void TMainform::CompareButtonClick() {
    Guarded([this] {
        const QString NewName = CxfFileNameLabel->text();
        if (NewName.isEmpty()) {
            ShowErrorMessage(CxfFileNotFoundText);
            return;
        }
        // The chosen file first, so that a fault in it is told before the
        // user is asked for anything.
        const char Separator = LoaderDecimalSeparator();
        TCompareRequest Request;
        Request.New = {ToCoreText(NewName), ToCoreText(NewName)};
        const std::unique_ptr<TCxfFile> New = LoadComparedFile(Request.New, Separator, TCharset::Windows1252);

        // Backups tend to lie beside the file.
        const QFileInfo Chosen(NewName);
        CompareOpenDialog->setDirectory(Chosen.absolutePath());
        const std::optional<QString> OldName = Services.RunFileDialog(*CompareOpenDialog);
        if (!OldName) return;
        ReportSaveDialog->setDirectory(ReportSaveDialogInitialDir.isEmpty() ? Chosen.absolutePath()
                                                                            : ReportSaveDialogInitialDir);
        ReportSaveDialog->selectFile(Chosen.completeBaseName() + QStringLiteral("-changes.") +
                                     ReportSaveDialog->defaultSuffix());
        const std::optional<QString> ReportName = Services.RunFileDialog(*ReportSaveDialog);
        if (!ReportName) return;
        ReportSaveDialogInitialDir = QDir::toNativeSeparators(QFileInfo(*ReportName).absolutePath());

        const QString Old = QDir::toNativeSeparators(*OldName);
        Request.Old = {ToCoreText(Old), ToCoreText(Old)};
        Request.Format = ReportFormatOf(*ReportName, ReportSaveDialog->selectedNameFilter());
        Request.ReportFileName = ToCoreText(QDir::toNativeSeparators(*ReportName));
        Request.DecimalSeparator = Separator;
        Request.Options.ExcludeChannelUF = ExcludeChannelUFChecked();
        Request.Options.ExcludeChannelVPID = ExcludeChannelVPIDChecked();
        WriteChangeReport(*LoadComparedFile(Request.Old, Separator, TCharset::Windows1252), *New, Request,
                          DefaultFileSink());
    });
}

void TMainform::CxfFileSelectSpeedButtonClick() {
    Guarded([this] {
        if (!CxfFileOpenDialogInitialDir.isEmpty()) CxfFileOpenDialog->setDirectory(CxfFileOpenDialogInitialDir);
        const std::optional<QString> Chosen = Services.RunFileDialog(*CxfFileOpenDialog);
        if (Chosen) ChooseCxfFile(*Chosen);
    });
}

void TMainform::ChooseCxfFile(const QString& FileName) {
    const QFileInfo File(FileName);
    CxfFileNameLabel->setText(QDir::toNativeSeparators(File.absoluteFilePath()));
    CxfFileOpenDialogInitialDir = QDir::toNativeSeparators(File.absolutePath());
}

void TMainform::dragEnterEvent(QDragEnterEvent* Event) {
    if (DraggedFile(Event->mimeData()).isEmpty())
        Event->ignore();
    else
        Event->acceptProposedAction();
}

void TMainform::dropEvent(QDropEvent* Event) {
    const QString File = DraggedFile(Event->mimeData());
    if (File.isEmpty()) {
        Event->ignore();
        return;
    }
    Event->acceptProposedAction();
    ChooseCxfFile(File);
}

void TMainform::ExportDirectorySpeedButtonClick() {
    Guarded([this] {
        const QString Current = ExportPathLabel->text();
        const QString Start = !Current.isEmpty() && QFileInfo(Current).isDir() ? Current : QString();
        const std::optional<QString> Chosen = Services.ChooseDirectory(this, ExportDirectoryChooserTitle, Start);
        if (!Chosen) return;
        ExportPathLabel->setText(WithTrailingSeparator(QDir::toNativeSeparators(*Chosen)));
    });
}

void TMainform::Button1Click() {
    Guarded([this] {
        if (HtmlHeaderEditWindow) HtmlHeaderEditWindow->EditHeader(HtmlHeaderLines);
    });
}

void TMainform::MorvaneLabelMouseEnter() {
    MorvaneLabel->setPalette(WithColor(MorvaneLabel->palette(), QPalette::WindowText, QColor(255, 0, 0)));
}

void TMainform::MorvaneLabelMouseLeave() {
    MorvaneLabel->setPalette(WithColor(MorvaneLabel->palette(), QPalette::WindowText, QColor(0, 0, 255)));
}

void TMainform::MorvaneLabelClick() {
    Guarded([this] { Services.OpenUrl(QUrl(MorvaneToolsPage)); });
}

void TMainform::ApplicationActivate() {
    setWindowOpacity(Opacity(ActiveOpacity));
}

void TMainform::ApplicationDeactivate() {
    setWindowOpacity(Opacity(InactiveOpacity));
}

// --- IExportHost ---

std::string TMainform::CxfFileNameText() const {
    return ToCoreText(CxfFileNameLabel->text());
}

std::string TMainform::ExportPathText() const {
    return ToCoreText(ExportPathLabel->text());
}

int TMainform::ExportTypeItemIndex() const {
    return ExportTypeRadioGroup->ItemIndex();
}

bool TMainform::ExcludeChannelUFChecked() const {
    return ExcludeChannelUFCheckBox->isChecked();
}

bool TMainform::ExcludeChannelVPIDChecked() const {
    return ExcludeChannelVPIDCheckBox->isChecked();
}

bool TMainform::ExcludeTransponderUFChecked() const {
    return ExcludeTransponderUFCheckBox->isChecked();
}

bool TMainform::ExcludeSatelliteUFChecked() const {
    return ExcludeSatelliteUFCheckBox->isChecked();
}

std::string TMainform::ExportButtonCaption() const {
    return ExportStartButton->text().toStdString();
}

void TMainform::SetExportButtonCaption(const std::string& Caption) {
    ExportStartButton->setText(QString::fromStdString(Caption));
}

QFileDialog* TMainform::SaveDialog(TSaveDialogKind Kind) const {
    return Kind == TSaveDialogKind::CSV ? CSVFileSaveDialog : SQLFileSaveDialog;
}

QString& TMainform::SaveDialogInitialDir(TSaveDialogKind Kind) {
    return Kind == TSaveDialogKind::CSV ? CSVFileSaveDialogInitialDir : SQLFileSaveDialogInitialDir;
}

std::optional<std::string> TMainform::RunSaveDialog(TSaveDialogKind Kind) {
    QFileDialog* Dialog = SaveDialog(Kind);
    const QString& InitialDir = SaveDialogInitialDir(Kind);
    if (!InitialDir.isEmpty()) Dialog->setDirectory(InitialDir);
    const std::optional<QString> Chosen = Services.RunFileDialog(*Dialog);
    if (!Chosen) return std::nullopt;
    return ToCoreText(QDir::toNativeSeparators(*Chosen));
}

void TMainform::SetSaveDialogInitialDir(TSaveDialogKind Kind, const std::string& Directory) {
    SaveDialogInitialDir(Kind) = QDir::toNativeSeparators(FromCoreText(Directory));
}

void TMainform::ShowErrorMessage(const std::string& Text) {
    Services.ShowMessage(this, QMessageBox::Critical, ApplicationTitle, QString::fromStdString(Text));
}

void TMainform::ShowInformationMessage(const std::string& Text) {
    Services.ShowMessage(this, QMessageBox::Information, ApplicationTitle, QString::fromStdString(Text));
}
