#include "controls/cimagebutton.h"
#include "shell/skincomponent.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A small page of standard controls plus one picture button, built afresh for each look.
struct Page
{
    QWidget window;
    CImageButton *picture = nullptr;

    Page()
    {
        auto *layout = new QVBoxLayout(&window);
        auto *group = new QGroupBox("Output Setting");
        auto *inner = new QVBoxLayout(group);
        inner->addWidget(new QPushButton("Browse"));
        auto *edit = new QLineEdit("/home/user/Videos/");
        edit->setEnabled(false);
        inner->addWidget(edit);
        layout->addWidget(group);
        picture = new CImageButton;
        picture->setFixedSize(55, 55);
        picture->SetIcons(147, 148, false);
        picture->SetStateColor(CImageButton::BackNormal, QColor(220, 228, 240), false);
        layout->addWidget(picture);
        window.resize(240, 160);
    }

    QImage Grab(QWidget *widget)
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return {};
        return widget->grab().toImage();
    }
    QImage GrabAll() { return Grab(&window); }
};

} // namespace

class TestSkinComponent : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void missingSkinFileLeavesWindowsUndecorated();
    void skinDecoratesStandardControlsNotSelfDrawnOnes();

private:
    // The start-up's calls, in their order.
    static void StartUp(SkinComponent &skin)
    {
        skin.Initialize(0);
        skin.EnableSkin(1);
        skin.LoadSkinFile("Virurez.skf");
        skin.ApplySkin();
    }

    QString m_startDirectory;
    QImage m_plainPage;
    QImage m_plainPicture;
};

void TestSkinComponent::initTestCase()
{
    m_startDirectory = QDir::currentPath();
    Page page;
    m_plainPage = page.GrabAll();
    m_plainPicture = page.Grab(page.picture);
    QVERIFY(!m_plainPage.isNull());
}

void TestSkinComponent::cleanup()
{
    QDir::setCurrent(m_startDirectory);
    qApp->setStyleSheet(QString());
}

void TestSkinComponent::missingSkinFileLeavesWindowsUndecorated()
{
    QTemporaryDir empty;
    QVERIFY(QDir::setCurrent(empty.path()));
    SkinComponent skin;
    QVERIFY(skin.IsCreated());
    StartUp(skin);
    QVERIFY(skin.SkinText().isEmpty());
    QVERIFY(qApp->styleSheet().isEmpty());

    Page page;
    skin.AddWindow(&page.window, 0);
    skin.AddWindow(page.picture, SkinComponent::SelfDrawn);
    QCOMPARE(page.GrabAll(), m_plainPage);
    skin.Finish();
}

void TestSkinComponent::skinDecoratesStandardControlsNotSelfDrawnOnes()
{
    // The skin file lies beside the executables, the program's folder.
    QVERIFY(QDir::setCurrent(MIVARTEL_BUILD_DIR));
    QVERIFY(QFile::exists("Virurez.skf"));
    SkinComponent skin;
    StartUp(skin);
    QVERIFY(!skin.SkinText().isEmpty());
    QCOMPARE(qApp->styleSheet(), skin.SkinText());

    // A window made after the start-up calls wears the skin, apart from the picture
    // button, which goes on drawing itself pixel for pixel.
    Page page;
    skin.AddWindow(&page.window, 0);
    skin.AddWindow(page.picture, SkinComponent::SelfDrawn);
    QCOMPARE(page.window.property("skin").toString(), QString("page"));
    const QImage skinned = page.GrabAll();
    QVERIFY(skinned != m_plainPage);
    QCOMPARE(page.Grab(page.picture), m_plainPicture);

    // After the last call nothing is decorated any more.
    skin.Finish();
    QVERIFY(qApp->styleSheet().isEmpty());
    Page after;
    QCOMPARE(after.GrabAll(), m_plainPage);
}

QTEST_MAIN(TestSkinComponent)
#include "tst_skincomponent.moc"
