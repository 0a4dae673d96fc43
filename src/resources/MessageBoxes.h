#pragma once

#include <QString>

#include <functional>

class QWidget;

// The program's message boxes. They go through one replaceable hook, so
// that the end-to-end tests see every box without a modal loop blocking
// them; the program itself keeps the default, a modal box.
namespace MessageBoxes {

enum class Icon { Stop, Exclamation, Information, Question };
enum class Buttons { Ok, OkCancel, YesNo };
// The button that closed the box.
enum Result : int { kOk = 1, kCancel = 2, kYes = 6, kNo = 7 };

struct Request {
    QWidget* parent = nullptr;
    QString caption;
    QString text;
    Icon icon = Icon::Exclamation;
    Buttons buttons = Buttons::Ok;
};

using Hook = std::function<int(const Request&)>;

// Installs `hook` (an empty one restores the modal box) and returns the one
// it replaces.
Hook SetHook(Hook hook);

int Show(const Request& request);
// "Внимание!" with the exclamation icon.
int Warning(QWidget* parent, const QString& text);
// "Ошибка!" with the stop icon.
int Error(QWidget* parent, const QString& text);

} // namespace MessageBoxes
