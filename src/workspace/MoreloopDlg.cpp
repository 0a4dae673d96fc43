#include "MoreloopDlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>

#include "CalibrationMessages.h"
#include "Cp1251.h"
#include "Engine.h"
#include "NotificationIds.h"
#include "SensorParameters.h"
#include "StringTable.h"
#include "WindowMessageEvent.h"
#include "WindowRegistry.h"

MoreloopDlg::MoreloopDlg(Engine& engine, WindowRegistry& windows, QWidget* page, const QString& objectName,
                         std::vector<Line> lines)
    : QDialog(page), engine_(engine), windows_(windows), lines_(std::move(lines))
{
    setObjectName(objectName);
    // A tool window of the page: it floats beside the main window and goes
    // with it, but never blocks it.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setWindowTitle(StringTable::Get(StringTable::kMoreTitle));
    handle_ = windows_.Add(this);

    auto* grid = new QGridLayout(this);
    int row = 0;
    readChecked_.assign(lines_.size(), 0);
    graphChecked_.resize(lines_.size());
    graphBoxes_.resize(lines_.size());
    valueTexts_.resize(lines_.size());
    for (std::size_t l = 0; l < lines_.size(); ++l) {
        const Line& line = lines_[l];
        auto* read = new QCheckBox(StringTable::Get(line.captionId), this);
        read->setObjectName(QStringLiteral("Read%1").arg(l));
        readBoxes_.push_back(read);
        connect(read, &QCheckBox::clicked, this, [this] { OnCheckClicked(true); });
        grid->addWidget(read, row, 0);
        graphChecked_[l].assign(line.values.size(), 0);
        for (std::size_t v = 0; v < line.values.size(); ++v) {
            const Value& value = line.values[v];
            if (v > 0 || value.labelId != 0) {
                if (v > 0)
                    ++row;
                if (value.labelId != 0) {
                    auto* label = new QLabel(StringTable::Get(value.labelId), this);
                    grid->addWidget(label, row, v == 0 ? 1 : 0, Qt::AlignRight);
                }
            }
            auto* text = new QLabel(this);
            text->setObjectName(QStringLiteral("Value%1_%2").arg(l).arg(v));
            text->setFrameShape(QFrame::StyledPanel);
            text->setAlignment(Qt::AlignCenter);
            text->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12);
            valueTexts_[l].push_back(text);
            grid->addWidget(text, row, 2);
            auto* graph = new QCheckBox(StringTable::Get(value.graphCaptionId), this);
            graph->setObjectName(QStringLiteral("Graph%1_%2").arg(l).arg(v));
            graphBoxes_[l].push_back(graph);
            connect(graph, &QCheckBox::clicked, this, [this] { OnCheckClicked(false); });
            grid->addWidget(graph, row, 3);
        }
        ++row;
    }
    grid->setColumnStretch(2, 1);
    hide();
}

MoreloopDlg::~MoreloopDlg()
{
    engine_.UnregisterAll(handle_);
    windows_.Remove(handle_);
}

bool MoreloopDlg::Open(QPoint corner, WindowHandle owner, std::uint32_t message)
{
    if (open_)
        return true;
    owner_ = owner;
    message_ = message;
    // The boxes show the states kept while the window was closed.
    for (std::size_t l = 0; l < lines_.size(); ++l) {
        readBoxes_[l]->setChecked(readChecked_[l] != 0);
        for (std::size_t v = 0; v < graphBoxes_[l].size(); ++v)
            graphBoxes_[l][v]->setChecked(graphChecked_[l][v] != 0);
    }
    adjustSize();
    move(corner);
    open_ = true;
    setEnabled(true);
    show();
    engine_.Register(handle_, NotificationId::SensorParametersChanged);
    PostToOwner(CalibrationMessages::kMoreReadChanged | CalibrationMessages::kMoreGraphChanged);
    ShowValues();
    return true;
}

void MoreloopDlg::CloseWindow()
{
    if (!open_)
        return;
    open_ = false;
    engine_.UnregisterAll(handle_);
    hide();
    PostToOwner(CalibrationMessages::kMoreReadChanged | CalibrationMessages::kMoreGraphChanged);
}

void MoreloopDlg::ClearReadSelection()
{
    for (std::size_t l = 0; l < lines_.size(); ++l) {
        readChecked_[l] = 0;
        readBoxes_[l]->setChecked(false);
    }
}

void MoreloopDlg::ApplyReadFlags(CalibrationPollSettings& settings) const
{
    for (std::size_t l = 0; l < lines_.size(); ++l)
        if (readChecked_[l] != 0 && lines_[l].readFlag != nullptr)
            settings.*(lines_[l].readFlag) = 1;
}

void MoreloopDlg::AppendGraphSeries(std::vector<int>& series) const
{
    for (std::size_t l = 0; l < lines_.size(); ++l) {
        if (readChecked_[l] == 0)
            continue;
        for (std::size_t v = 0; v < lines_[l].values.size(); ++v)
            if (graphChecked_[l][v] != 0)
                series.push_back(lines_[l].values[v].graphSlot);
    }
}

QCheckBox* MoreloopDlg::ReadBox(std::size_t line) const
{
    return line < readBoxes_.size() ? readBoxes_[line] : nullptr;
}

QCheckBox* MoreloopDlg::GraphBox(std::size_t line, std::size_t value) const
{
    return line < graphBoxes_.size() && value < graphBoxes_[line].size() ? graphBoxes_[line][value] : nullptr;
}

QLabel* MoreloopDlg::ValueText(std::size_t line, std::size_t value) const
{
    return line < valueTexts_.size() && value < valueTexts_[line].size() ? valueTexts_[line][value] : nullptr;
}

void MoreloopDlg::accept()
{
    // Enter does nothing.
}

void MoreloopDlg::reject()
{
    CloseWindow();
}

void MoreloopDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
    CloseWindow();
}

void MoreloopDlg::customEvent(QEvent* event)
{
    if (event->type() == WindowMessageEvent::EventType()) {
        auto* m = static_cast<WindowMessageEvent*>(event);
        if (open_ && m->Message() == NotificationId::SensorParametersChanged)
            ShowValues();
        return;
    }
    QDialog::customEvent(event);
}

void MoreloopDlg::ShowValues()
{
    SensorParameters p;
    engine_.CopySensorParameters(p);
    for (std::size_t l = 0; l < lines_.size(); ++l)
        for (std::size_t v = 0; v < lines_[l].values.size(); ++v)
            valueTexts_[l][v]->setText(QString::fromStdString(Cp1251::ToUtf8(lines_[l].values[v].text(p))));
}

void MoreloopDlg::OnCheckClicked(bool readBox)
{
    TakeStates();
    PostToOwner(readBox ? CalibrationMessages::kMoreReadChanged | CalibrationMessages::kMoreGraphChanged
                        : CalibrationMessages::kMoreGraphChanged);
}

void MoreloopDlg::TakeStates()
{
    for (std::size_t l = 0; l < lines_.size(); ++l) {
        readChecked_[l] = readBoxes_[l]->isChecked() ? 1 : 0;
        for (std::size_t v = 0; v < graphBoxes_[l].size(); ++v)
            graphChecked_[l][v] = graphBoxes_[l][v]->isChecked() ? 1 : 0;
    }
}

void MoreloopDlg::PostToOwner(std::uintptr_t bits)
{
    if (owner_)
        windows_.Post(owner_, new WindowMessageEvent(message_, bits, 0));
}
