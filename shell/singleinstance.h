#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

// One window program per user. The first start owns the name org.mivartel.Mivartel on the
// session bus and serves org.freedesktop.Application at /org/mivartel/Mivartel; a later start
// hands its files to that one instead of writing the same files beside it. Without a session
// bus every start runs on its own.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    static constexpr char ServiceName[] = "org.mivartel.Mivartel";
    static constexpr char ObjectPath[] = "/org/mivartel/Mivartel";

    enum class Role {
        First,      // owns the name: stays, and answers later starts
        Alone,      // no bus: stays, on its own
        HandedOver, // the running program took the files: end
        Unanswered, // another program owns the name but did not take the files: end
    };

    explicit SingleInstance(const QDBusConnection &bus = QDBusConnection::sessionBus(),
                            QObject *parent = nullptr);
    // Gives the name back, so that the next start is the first again.
    ~SingleInstance() override;

    // Claims the name; when another program owns it, asks that one to open `files` (absolute
    // paths) or, with none, to show its window. Waits at most HandOverTimeout ms for it.
    Role Start(const QStringList &files);
    static constexpr int HandOverTimeout = 5000;

    // What the bus's callers ask of the first program (the adaptor's entry points): `uris` are
    // file URIs or absolute paths; anything else is dropped.
    void Activate();
    void Open(const QStringList &uris);

signals:
    // Another start asked for the window, with the files it was given (absolute paths; none
    // when it only asked for the window). Emitted after the caller has had its answer.
    void activated(const QStringList &files);

private:
    bool Claim();

    QDBusConnection m_bus;
    bool m_owner = false;
};
