#include "ScreenPlacementUnit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

QPoint PlaceInside(const QRect& Available, const QSize& FrameSize, const QPoint& Wanted) {
    const auto Place = [](int Want, int Size, int First, int Extent) {
        return std::max(First, std::min(Want, First + Extent - Size));
    };
    return {Place(Wanted.x(), FrameSize.width(), Available.left(), Available.width()),
            Place(Wanted.y(), FrameSize.height(), Available.top(), Available.height())};
}

namespace {

// Places its window once, at the first show: only then does the window
// system know the frame around it. Later shows keep wherever the user left
// the window.
class TFirstShowPlacement : public QObject {
public:
    explicit TFirstShowPlacement(QWidget& Window) : QObject(&Window), FWindow(Window) {}

    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Watched == &FWindow && Event->type() == QEvent::Show) {
            const QPoint Wanted = FWindow.pos();
            QScreen* Screen = QGuiApplication::screenAt(Wanted);
            if (Screen == nullptr) Screen = FWindow.screen();
            if (Screen != nullptr)
                FWindow.move(PlaceInside(Screen->availableGeometry(), FWindow.frameGeometry().size(), Wanted));
            FWindow.removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QWidget& FWindow;
};

}  // namespace

void PlaceOnScreen(QWidget& Window, const QPoint& Wanted) {
    Window.move(Wanted);
    Window.installEventFilter(new TFirstShowPlacement(Window));
}
