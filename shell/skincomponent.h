#pragma once

#include <QPointer>
#include <QString>

class QApplication;
class QWidget;

// The layer that decorates the program's windows: a Qt style sheet of ours, the skin file
// "Virurez.skf" beside the program, laid over the whole application. The start-up makes the
// calls in this order, before any window exists: Initialize(0), EnableSkin(1),
// LoadSkinFile("Virurez.skf"), ApplySkin(); the windows then hand themselves over with
// AddWindow, and the exit ends with Finish.
//
// Nothing here fails loudly: without a QApplication the component is not created and every
// call does nothing; a missing or unreadable skin file leaves every window undecorated.
// Each method is named after what it does; the numbers are the order of the original
// component's calls (its dispatch ids).
class SkinComponent
{
public:
    // Self-drawn windows (the picture buttons) that the skin leaves alone.
    static constexpr int SelfDrawn = 1;

    // Takes the running QApplication; with none (a console program) nothing is created.
    SkinComponent();

    bool IsCreated() const { return !m_app.isNull(); }

    // 17: forgets any skin loaded before.
    void Initialize(int reserved);
    // 1: 1 turns skinning on, 0 off.
    void EnableSkin(int enable);
    // 2: reads the skin file (a relative name from the working directory; the program passes
    // a full one). A file that cannot be read leaves no skin.
    void LoadSkinFile(const QString &fileName);
    // 18: decorates every window from now on with the loaded skin, if any.
    void ApplySkin();
    // 6: hands a window over. Flag 0 decorates it as a whole; SelfDrawn marks it as
    // drawing itself, so the skin keeps off its painting.
    void AddWindow(QWidget *window, int flag);
    // 7: the last call; nothing is decorated after it.
    void Finish();

    // The style sheet loaded from the skin file; empty when there is none.
    QString SkinText() const { return m_skin; }

private:
    QPointer<QApplication> m_app;
    bool m_enabled = false;
    bool m_applied = false; // the skin is on the application
    QString m_skin;
};
