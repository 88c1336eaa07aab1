// SPDX-License-Identifier: MIT
// The launcher's main window, shown when the desktop starts the application
// itself rather than for a URL: what the program is, and a way to quit it.
#pragma once

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

class QPushButton;

namespace Ui {
class MainWindow;
}

namespace zan {

class MainWindow : public QDialog {
    Q_OBJECT
public:
    MainWindow(const std::optional<QString> &version, const std::optional<QString> &build,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    QPushButton *quitButton() const { return m_quit; }

    // Closing by any road (Quit, Escape, the window's close button) hides
    // the window and reports it once.
    void done(int result) override;

Q_SIGNALS:
    void closed();

private:
    std::unique_ptr<Ui::MainWindow> m_ui;
    QPushButton *m_quit = nullptr;
};

} // namespace zan
