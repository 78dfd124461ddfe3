// Entry point: creates the Qt application (offscreen when there is no
// display) and shows the main window.
#include <QApplication>
#include <QMainWindow>
#include <cstdlib>

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("ecrprog");
    window.resize(800, 600);
    window.show();
    return app.exec();
}
