// The peer of the start-up measurement: a bare Qt Widgets window of the main window's size.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(368, 193);
    window.show();
    return app.exec();
}
