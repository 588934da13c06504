#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Platterbox"));
    QLabel window(QStringLiteral("Platterbox"));
    window.setWindowTitle(QStringLiteral("Platterbox"));
    window.resize(505, 385);
    window.show();
    return app.exec();
}
