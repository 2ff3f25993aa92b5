// Velmora: the program starts with its splash window and ends with its main window.

#include "app/program.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
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
