#pragma once
// The preset manager: the processor's programs 1..10 by name. It stores the console's
// state under a program number with a checked name, recalls a stored program into the
// console, deletes a program by giving it an empty name, and starts the PC-side file
// operations (all programs or one program, to or from a file). The console does the work
// through IProgramHost; the dialog shows the list and the outcome.

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace ovix {

// What the preset manager asks of the console.
class IProgramHost {
public:
    enum class Store { Stored, Refused, NotConnected };

    virtual ~IProgramHost() = default;
    // The name stored program 1..10 has in the image.
    virtual QString ProgramName(int program) const = 0;
    // The console holds the program read from the connected processor.
    virtual bool Synced() const = 0;
    // Checks the name and stores the console's state as the program; a refused name or a
    // missing processor has been reported to the user when this returns.
    virtual Store StoreProgram(int program, const QString& name) = 0;
    virtual void RecallProgram(int program) = 0;
    // Asks the question (OK/Cancel); true for OK.
    virtual bool Confirm(const QString& question) = 0;
    virtual void DeleteProgram(int program) = 0;
    // The PC file operations; each returns success.
    virtual bool LoadAllPrograms() = 0;
    virtual bool LoadSingleProgram() = 0;
    virtual bool SaveAllPrograms() = 0;
    virtual bool SaveSingleProgram() = 0;
};

class CProgramDlg final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 490;
    static constexpr int kHeight = 370;
    static constexpr int kRows = 10;

    explicit CProgramDlg(IProgramHost& host, QWidget* parent = nullptr);

    int Selected() const { return m_selected; }
    // Selects program 1..10 (as a click on its row does).
    void Select(int program);

    // The buttons' actions, as a click runs them.
    void OnStore();
    void OnRecall();
    void OnDelete();
    void OnPcRecall();
    void OnPcStore();

    // Refills the ten rows from the stored programs.
    void FillRows();

    QTableWidget& List() { return *m_list; }
    QLineEdit& NameField() { return *m_name; }
    QLabel& NumberLabel() { return *m_number; }
    QString RowName(int program) const;
    QPushButton& StoreButton() { return *m_store; }
    QPushButton& RecallButton() { return *m_recall; }
    QPushButton& DeleteButton() { return *m_delete; }
    QPushButton& PcRecallButton() { return *m_pcRecall; }
    QPushButton& PcStoreButton() { return *m_pcStore; }
    // 0 = all programs, 1 = one program.
    QRadioButton& PcRecallChoice(int choice) { return *m_recallChoice[choice]; }
    QRadioButton& PcStoreChoice(int choice) { return *m_storeChoice[choice]; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Retranslate();
    void ShowSelected();

    IProgramHost& m_host;
    int m_selected = 1;
    QTableWidget* m_list = nullptr;
    QLabel* m_idLabel = nullptr;
    QLabel* m_number = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLineEdit* m_name = nullptr;
    QPushButton* m_store = nullptr;
    QPushButton* m_recall = nullptr;
    QPushButton* m_delete = nullptr;
    QGroupBox* m_pcGroup = nullptr;
    QRadioButton* m_recallChoice[2] = {};
    QRadioButton* m_storeChoice[2] = {};
    QPushButton* m_pcRecall = nullptr;
    QPushButton* m_pcStore = nullptr;
};

} // namespace ovix
