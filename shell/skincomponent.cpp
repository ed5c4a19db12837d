#include "skincomponent.h"

#include <QApplication>
#include <QFile>
#include <QStyle>
#include <QWidget>

namespace {

// The property the skin file's rules select on: "page" for windows decorated as a whole,
// "self" for self-drawn ones.
const char kSkinProperty[] = "skin";

// Style sheet rules are matched when a widget is polished; a property set later needs a
// fresh polish of the widget and everything in it.
void Repolish(QWidget *root)
{
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *widget : widgets) {
        widget->style()->unpolish(widget);
        widget->style()->polish(widget);
        widget->update();
    }
}

} // namespace

SkinComponent::SkinComponent()
    : m_app(qobject_cast<QApplication *>(QCoreApplication::instance()))
{}

void SkinComponent::Initialize(int reserved)
{
    Q_UNUSED(reserved);
    m_skin.clear();
    m_enabled = false;
}

void SkinComponent::EnableSkin(int enable)
{
    m_enabled = enable != 0;
}

void SkinComponent::LoadSkinFile(const QString &fileName)
{
    m_skin.clear();
    QFile file(fileName);
    if (!IsCreated() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    m_skin = QString::fromUtf8(file.readAll());
}

void SkinComponent::ApplySkin()
{
    if (!IsCreated() || !m_enabled || m_skin.isEmpty())
        return;
    m_app->setStyleSheet(m_skin);
    m_applied = true;
}

void SkinComponent::AddWindow(QWidget *window, int flag)
{
    if (!IsCreated() || !window)
        return;
    window->setProperty(kSkinProperty, flag == SelfDrawn ? "self" : "page");
    if (m_applied)
        Repolish(window);
}

void SkinComponent::Finish()
{
    if (!IsCreated())
        return;
    if (m_applied)
        m_app->setStyleSheet(QString());
    m_applied = false;
    m_enabled = false;
}
