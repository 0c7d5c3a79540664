// A Qt window that draws its own text (no X11 text calls): a line edit holding the sentence
// given on the command line, for the capture tests that read it over the accessibility bus.
#include <QApplication>
#include <QFont>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("yv-accessible-window"));
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QLineEdit(argc > 1 ? QString::fromUtf8(argv[1]) : QString(), &window);
    QFont font = edit->font();
    font.setPointSize(16);
    edit->setFont(font);
    edit->setMinimumWidth(700);
    layout->addWidget(edit);
    window.move(60, 80);
    window.show();
    return app.exec();
}
