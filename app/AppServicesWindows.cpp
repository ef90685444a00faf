// The desktop services on Windows: the system's folder chooser, the shell
// for web addresses, the window font Windows has, UTF-8 paths for the core.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <QDir>
#include <QWidget>

#include "AppServicesUnit.h"

namespace {

// Selects the start directory once the chooser has built its tree.
int CALLBACK SelectStartDirectory(HWND Chooser, UINT Message, LPARAM, LPARAM Start) {
    if (Message == BFFM_INITIALIZED && Start != 0) SendMessageW(Chooser, BFFM_SETSELECTIONW, TRUE, Start);
    return 0;
}

// Suppresses the system's critical-error boxes (a drive without a disk, for
// one) for as long as it lives.
class TCriticalErrorBoxesOff {
public:
    TCriticalErrorBoxesOff() : FOldMode(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~TCriticalErrorBoxesOff() { SetErrorMode(FOldMode); }
    TCriticalErrorBoxesOff(const TCriticalErrorBoxesOff&) = delete;
    TCriticalErrorBoxesOff& operator=(const TCriticalErrorBoxesOff&) = delete;

private:
    UINT FOldMode;
};

// The chooser is a shell component and needs COM on the calling thread.
// Qt has usually set it up already; then this only adds a reference.
class TComApartment {
public:
    TComApartment() : FResult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~TComApartment() {
        if (SUCCEEDED(FResult)) CoUninitialize();
    }
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;

private:
    HRESULT FResult;
};

}  // namespace

QFont WindowFont() {
    // Windows' own "MS Sans Serif" is the font the layout was made with, so
    // it fits. A wider look-alike in its place (Wine ships one) would cut
    // the texts off; then a condensed font stands in, as small as it takes
    // (DejaVu where Wine finds it on the Linux system; Wine's Tahoma loses
    // thin letters at these sizes).
    const QFont Designed(QStringLiteral("MS Sans Serif"), 8);
    if (FitsWindowLayout(Designed)) return Designed;
    QFont Substitute;
    Substitute.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Tahoma")});
    return ShrunkToWindowLayout(Substitute);
}

std::string ToCoreText(const QString& Text) {
    return Text.toUtf8().toStdString();
}

QString FromCoreText(const std::string& Text) {
    return QString::fromUtf8(Text);
}

std::optional<QString> TAppServices::ChooseDirectory(QWidget* Parent, const QString& Title,
                                                     const QString& StartDirectory) {
    const std::wstring WideTitle = Title.toStdWString();
    const std::wstring Start = QDir::toNativeSeparators(StartDirectory).toStdWString();
    BROWSEINFOW Info{};
    // The owner is disabled while the chooser is open; no root folder means
    // the whole tree.
    Info.hwndOwner = Parent ? reinterpret_cast<HWND>(Parent->window()->winId()) : nullptr;
    Info.lpszTitle = WideTitle.c_str();
    Info.ulFlags = BIF_RETURNONLYFSDIRS;
    Info.lpfn = SelectStartDirectory;
    Info.lParam = Start.empty() ? 0 : reinterpret_cast<LPARAM>(Start.c_str());

    wchar_t Path[MAX_PATH] = {};
    bool Chosen = false;
    {
        const TComApartment Com;
        const TCriticalErrorBoxesOff NoErrorBoxes;
        if (PIDLIST_ABSOLUTE Item = SHBrowseForFolderW(&Info)) {
            Chosen = SHGetPathFromIDListW(Item, Path) != FALSE;
            CoTaskMemFree(Item);
        }
    }
    if (!Chosen || Path[0] == L'\0') return std::nullopt;
    return QString::fromWCharArray(Path);
}

void TAppServices::OpenUrl(const QUrl& Url) {
    const std::wstring Address = Url.toString(QUrl::FullyEncoded).toStdWString();
    ShellExecuteW(nullptr, nullptr, Address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
