// zarn-bare-window: the yardstick of the start-up benchmark, the least a Qt program with a
// window does: an application and an empty main window, shown.

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.show();
    return application.exec();
}
