// Velmora: the program starts with its splash window and ends with its main window.

#include "app/program.h"
#include "platform/gdi/font_engine.h"

#include <QApplication>
#include <QMessageBox>
#include <QThreadPool>

int main(int argc, char** argv)
{
    // Beside the application's start, which mostly waits on the display.
    platform::prepare_fonts();
    QApplication application(argc, argv);
    // Qt splits the drawing of a large picture over its thread pool, starting a thread per core
    // for the first window; one is plenty for windows of this size.
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    platform::forms::Forms forms;
    forms.set_on_main_unloaded([] { QApplication::quit(); });
    try {
        app::register_program(forms);
        forms["Form8"].Show();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Velmora"), QString::fromStdString(e.what()));
        return 1;
    }
    return application.exec();
}
