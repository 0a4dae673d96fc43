#pragma once

#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

#include "SettingsRow.h"
#include "TabPage.h"
#include "WindowHandle.h"

class QGridLayout;
class QGroupBox;
class QVBoxLayout;

// What the settings and calibration panels of the calibration page share:
// a child of the page in one of its panel places, framed by a group box,
// sized from its layout's dialog units. Like a page, its enable transition
// is its activate and deactivate signal (the page enables the panel it
// shows); unlike a page, hiding a panel ends nothing on the line — the page
// does that when it is left itself.
//
// A panel is a column of settings rows. Shown, it brings its buttons up to
// date, shows the values of a fresh copy of the sensor record and follows
// the engine's mode changes and the record's changes; a request the engine
// refuses only brings the buttons up to date (and tells the notify target,
// when the page gave one). The tab holders override the activation: they
// pass it on to the page of their selected tab.
class WorkspacePanel : public TabPage {
    Q_OBJECT
public:
    // `caption` empty: no group box (the leaves inside a tab holder).
    WorkspacePanel(Engine& engine, WindowRegistry& windows, QWidget* parent, const QString& caption, QSize sizeDlu);

    // The window and message that the panel tells when a request of its own
    // ended or was refused (the page and its "panel done" message).
    // A holder hands it on to its leaves.
    virtual void SetNotifyTarget(WindowHandle window, std::uint32_t message);

    // Whether the engine takes a single re-read or write now: the engine is
    // in a steady mode other than a running HART or journal task, or polls
    // for calibration between two exchanges. Every read and write button of
    // the workspace follows it.
    static bool CommandsAccepted(Engine& engine);

    // The panel's size in pixels, from its layout's dialog units.
    QSize TemplateSize() const { return templateSize_; }
    QSize sizeHint() const override { return templateSize_; }

    // Every "Прочитать" and "Записать" of the panel follows
    // CommandsAccepted().
    virtual void UpdateControls();
    // Every value box from a fresh copy of the sensor record.
    virtual void ShowValues();

    const std::vector<SettingsRow*>& Rows() const { return rows_; }

    // `count` texts of the string table from `firstId` on (list items).
    static QStringList Texts(int firstId, int count);
    // A row caption of one or two lines from the string table (0: none).
    static QStringList Caption(int firstLine, int secondLine = 0);

protected:
    void OnActivate() override;
    void OnDeactivate() override;
    void OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    // A request of the panel that the engine refused.
    virtual void OnRequestRefused();

    // A row of `spec` in `grid` from `gridRow` on, its widgets children of
    // the panel's frame.
    SettingsRow* AddRow(QGridLayout* grid, int& gridRow, SettingsRow::Spec spec);
    // Where the rows' widgets live: the frame, or the panel itself.
    QWidget* Surface();
    // Where the panel's rows go.
    QVBoxLayout* Body() const { return body_; }
    QGroupBox* Frame() const { return frame_; }

    WindowHandle notifyWindow_;
    std::uint32_t notifyMessage_ = 0;

private:
    std::vector<SettingsRow*> rows_;
    QGroupBox* frame_ = nullptr;
    QVBoxLayout* body_ = nullptr;
    QSize templateSize_;
};
