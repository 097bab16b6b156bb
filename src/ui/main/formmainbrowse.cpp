// The browser side of the main window: drive, folder and file lists, the preview, the target
// folder and the drops onto them.
#include "formmain.h"

#include "browsepaths.h"
#include "consoleview.h"
#include "cursorfile.h"
#include "dirlist.h"
#include "drivelist.h"
#include "fileattributes.h"
#include "filelist.h"
#include "folderchooser.h"
#include "folderlisting.h"
#include "folderwatcher.h"
#include "imagebox.h"
#include "pictureloader.h"
#include "previewgeometry.h"
#include "prompt.h"
#include "targetdirfield.h"
#include "twips.h"
#include "volumes.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <cmath>

namespace glyphmill {

namespace {

std::string toStd(const QString& text) {
    return text.toStdString();
}
QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

int twipsToWholePixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

} // namespace

void FormMain::setUpBrowser() {
    // Every picture is fitted into the box the preview has in the design, not into whatever size
    // the last picture left it.
    m_previewBoxWidth = m_image1->width() * kTwipsPerPixel;
    m_previewBoxHeight = m_image1->height() * kTwipsPerPixel;

    m_dir1->setSources(*m_services.listing, *m_services.files);
    m_file1->setListing(*m_services.listing);

    const QChar separator = QLatin1Char(m_services.convention.separator);
    const FileAttributes* files = m_services.files;
    m_textTargetDir->setPathRules(
        separator, [files](const QString& path) { return files->isDirectory(path); });

    // With thousands of files selected the command runs to a hundred thousand characters, and
    // TextCmd lays it out anew on every change; shaping Latin text buys nothing but halves that.
    QFont commandFont = m_textCmd->font();
    commandFont.setStyleStrategy(QFont::PreferNoShaping);
    m_textCmd->setFont(commandFont);

    connect(m_drive1, &DriveList::driveChanged, this, [this] { Drive1_Change(); });
    connect(m_dir1, &DirList::pathChanged, this,
            [this](const QString& path) { m_file1->setPath(path); });
    connect(m_file1, &FileList::fileClicked, this,
            [this] { Show_preview(m_file1->fileName(), m_file1->path()); });
    connect(m_file1, &FileList::filesDropped, this,
            [this](const QStringList& paths) { Take_dropped_files(paths, false); });
    connect(m_image1, &ImageBox::filesDropped, this,
            [this](const QStringList& paths) { Take_dropped_files(paths, true); });
    connect(m_commandChose, &QPushButton::clicked, this, [this] { CommandChose_Click(); });

    // The lists follow the disk: what the converter or anyone else writes, removes or renames
    // in the folder shown appears there without the user asking.
    connect(m_dir1, &DirList::pathChanged, this, [this] { watchShownFolders(); });
    connect(m_file1, &FileList::pathChanged, this, [this] { watchShownFolders(); });
    connect(m_services.watcher, &FolderWatcher::folderChanged, this,
            [this](const QString& folder) { followFolderChange(folder); });

    // The folder drag's cursor: an arrow carrying a folder, a beam over the target field.
    // The files are read again each time, so a cursor replaced on disk shows at once.
    connect(m_dir1, &DirList::folderDragStarting, this,
            [this] { m_dir1->setDragIcon(m_services.cursors->load(QStringLiteral("hwe.cur"))); });
    connect(m_textTargetDir, &TargetDirField::folderDragEntered, this, [this] {
        m_dir1->setDragIcon(m_services.cursors->load(QStringLiteral("hibeam.cur")));
    });
    connect(m_textTargetDir, &TargetDirField::folderDragLeft, this,
            [this] { m_dir1->setDragIcon(m_services.cursors->load(QStringLiteral("hwe.cur"))); });
    connect(m_textTargetDir, &TargetDirField::refreshRequested, this, [this] { Refresh_cmd(); });

    const bool drives = m_services.convention.separator == '\\';
    const QString startDrive = drives ? QStringLiteral("c:") : QStringLiteral("/");
    const QString startFolder = fromStd(volumeRootFolder(toStd(startDrive), separator.toLatin1()));
    {
        const QSignalBlocker quiet(m_drive1);
        const Volumes* volumes = m_services.volumes;
        m_drive1->setVolumeSource([volumes] { return volumes->names(); });
        m_drive1->setDrive(startDrive);
    }
    m_dir1->setPath(startFolder);
    m_file1->setPath(startFolder);
    watchShownFolders();
}

void FormMain::watchShownFolders() {
    m_services.watcher->watch({m_dir1->path(), m_file1->path()});
}

void FormMain::followFolderChange(const QString& folder) {
    // The folder list first: when the folder shown is gone it moves up, and the file list
    // follows it there.
    if (folder == m_dir1->path())
        m_dir1->refresh();
    // The command names every picked file: one that vanished must leave it.
    if (folder == m_file1->path() && m_file1->refresh())
        Refresh_cmd();
    // A folder that was removed or renamed has lost its watch; one made again gets it back.
    watchShownFolders();
}

QString FormMain::volumeOf(const QString& path) const {
    std::vector<std::string> volumes;
    for (int i = 0; i < m_drive1->count(); ++i)
        volumes.push_back(toStd(m_drive1->itemText(i)));
    return fromStd(volumeHolding(toStd(path), volumes, m_services.convention.separator));
}

void FormMain::Drive1_Change() {
    const QString drive = m_drive1->drive();
    if (!m_services.volumes->isReadable(drive)) {
        m_services.prompt->ask(this,
                               {QStringLiteral("Glyphmill"), QStringLiteral("Unité inaccessible"),
                                Prompt::Icon::None, Prompt::Buttons::Ok});
        // The list must keep naming the drive whose folders are still shown.
        const QString shown = volumeOf(m_dir1->path());
        if (!shown.isEmpty()) {
            const QSignalBlocker quiet(m_drive1);
            m_drive1->setDrive(shown);
        }
        return;
    }
    m_dir1->setPath(fromStd(volumeRootFolder(toStd(drive), m_services.convention.separator)));
}

void FormMain::resetPreview() {
    m_previewName.clear();
    m_previewFolder.clear();
    m_consoleView->pictureChanged();
    m_image1->clear();
    m_frame1->setTitle(tr("Preview"));
    m_labelWidth->setText(QStringLiteral("0"));
    m_labelHeight->setText(QStringLiteral("0"));
}

void FormMain::Show_preview(const QString& fileName, const QString& folder) {
    if (fileName.isEmpty() || !looksLikePicture(toStd(fileName.toLower()))) {
        resetPreview();
        Refresh_cmd();
        return;
    }
    m_frame1->setTitle(QStringLiteral("Preview of <") + fileName + QStringLiteral(">"));
    m_image1->setScaledContents(true);

    const TwipSize box{m_previewBoxWidth, m_previewBoxHeight};
    const TwipSize frame{m_frame1->width() * kTwipsPerPixel, m_frame1->height() * kTwipsPerPixel};
    const qreal ratio = m_image1->devicePixelRatioF();
    const auto shownSize = [box, ratio](QSize pixels) {
        const TwipSize fitted = fitIntoBox(pixels.width(), pixels.height(), box);
        return QSize(qMax(1, static_cast<int>(std::ceil(fitted.width * ratio / kTwipsPerPixel))),
                     qMax(1, static_cast<int>(std::ceil(fitted.height * ratio / kTwipsPerPixel))));
    };
    const QString path =
        fromStd(joinPath(toStd(folder), toStd(fileName), m_services.convention.separator));
    LoadedPicture picture = m_services.pictures->load(path, shownSize);
    if (!picture.ok()) {
        resetPreview();
        m_services.prompt->ask(
            this, {QStringLiteral("Glyphmill"),
                   tr("The picture \"%1\" cannot be shown: %2.")
                       .arg(path, picture.error.isEmpty() ? tr("unknown error") : picture.error),
                   Prompt::Icon::Warning, Prompt::Buttons::Ok});
        Refresh_cmd();
        return;
    }

    m_labelWidth->setText(QString::number(picture.size.width()));
    m_labelHeight->setText(QString::number(picture.size.height()));

    const TwipSize fitted = fitIntoBox(picture.size.width(), picture.size.height(), box);
    const PreviewPlacement place = placeInFrame(fitted, frame);
    m_image1->setGeometry(twipsToWholePixels(place.left), twipsToWholePixels(place.top),
                          qMax(1, twipsToWholePixels(static_cast<double>(place.width))),
                          qMax(1, twipsToWholePixels(static_cast<double>(place.height))));
    QPixmap pixmap = QPixmap::fromImage(std::move(picture.image));
    pixmap.setDevicePixelRatio(ratio);
    m_image1->setPixmap(pixmap);
    m_previewName = fileName;
    m_previewFolder = folder;
    m_consoleView->pictureChanged();
    Refresh_cmd();
}

void FormMain::Take_dropped_files(const QStringList& paths, bool replaceSelection) {
    if (paths.isEmpty())
        return;
    const char separator = m_services.convention.separator;
    const auto isDirectory = [this](const QString& path) {
        return m_services.files->isDirectory(path);
    };
    const QString first = paths.constFirst();
    const QString folder =
        fromStd(folderOfDroppedItem(toStd(first), isDirectory(first), separator));
    if (folder.isEmpty())
        return;

    const QString volume = volumeOf(folder);
    if (!volume.isEmpty()) {
        m_drive1->setDrive(volume);
        // An unreadable drive was refused (and said so); the browser stays where it was.
        if (m_drive1->drive() != volume)
            return;
    }
    m_dir1->setPath(folder);
    m_file1->setPath(folder);

    QSet<QString> names;
    for (const QString& path : paths) {
        if (!isDirectory(path))
            names.insert(fromStd(nameAfterLastSeparator(toStd(path), separator)));
    }
    m_file1->selectNames(names, replaceSelection);
}

void FormMain::CommandChose_Click() {
    QString start = m_lastChosenFolder;
    if (start.isEmpty())
        start = m_dir1->path();
    const std::optional<QString> chosen =
        m_services.folders->chooseFolder(this, tr("Chose an output directory"), start);
    // Cancelling keeps whatever the field held, typed text included.
    if (!chosen || chosen->isEmpty())
        return;
    m_lastChosenFolder = *chosen;
    m_textTargetDir->setText(
        fromStd(withTrailingSeparator(toStd(*chosen), m_services.convention.separator)));
}

} // namespace glyphmill
