// Placeholder until the main window exists.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication App(argc, argv);
    QApplication::setApplicationName("Zanvero");
    QLabel Label("Zanvero");
    Label.setWindowTitle("Zanvero");
    Label.show();
    return App.exec();
}
