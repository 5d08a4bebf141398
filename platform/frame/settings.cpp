#include "platform/frame/settings.h"

#include "platform/base/codepage.h"
#include "platform/qt/qtbridge.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace tnv {

namespace {

const char* const kRecentSection = "Recent File List";

std::string fromQt(const QString& text) {
    std::string out;
    if (!cp1252::fromUtf8(text.toStdString(), out))
        return text.toStdString();
    return out;
}

QString keyOf(const std::string& section, const std::string& entry) {
    return qtbridge::toQString(section) + "/" + qtbridge::toQString(entry);
}

// A few values and four paths take a few hundred bytes; a larger file is no settings of ours,
// and reading it whole would cost twice its size in memory.
constexpr off_t kMaxStoreBytes = 256 * 1024;

// Only a regular file of a sensible size (or none yet) is a settings store: reading a FIFO or a
// device in its place would wait forever or never end, and writing would replace it.
bool usableStore(const QString& file) {
    struct stat st;
    if (::stat(QFile::encodeName(file).constData(), &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode) && st.st_size <= kMaxStoreBytes;
}

} // namespace

struct Settings::Impl {
    std::unique_ptr<QSettings> store; // null when the file cannot be used: values stay in memory
    QVariantMap memory;
    QString file;

    void open(const QString& path) {
        file = path;
        if (usableStore(path))
            store = std::make_unique<QSettings>(path, QSettings::IniFormat);
    }
    QVariant value(const QString& key) const {
        return store ? store->value(key) : memory.value(key);
    }
    void setValue(const QString& key, const QVariant& v) {
        if (store)
            store->setValue(key, v);
        else
            memory.insert(key, v);
    }
    void remove(const QString& key) {
        if (store)
            store->remove(key);
        else
            memory.remove(key);
    }
};

Settings::Settings(const std::string& key, const std::string& application, int recentSize)
    : d_(std::make_unique<Impl>()), recentSize_(std::max(0, recentSize)) {
    // The desktop's own place for the key, as one file, so it can be checked before it is read.
    d_->open(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/" +
             qtbridge::toQString(key) + "/" + qtbridge::toQString(application) + ".conf");
}

Settings::Settings(const std::string& iniFile, int recentSize)
    : d_(std::make_unique<Impl>()), recentSize_(std::max(0, recentSize)) {
    d_->open(QString::fromStdString(iniFile));
}

Settings::~Settings() {
    if (d_->store && !usableStore(d_->file)) {
        // Replaced by something that is no file while the program ran: dropping the store would
        // write into it, so the values are left unsaved.
        (void)d_->store.release();
        return;
    }
    if (d_->store)
        d_->store->sync();
}

std::vector<std::string> Settings::recentFiles() const {
    std::vector<std::string> files;
    for (int i = 1; i <= recentSize_; ++i) {
        std::string path = getString(kRecentSection, "File" + std::to_string(i), "");
        if (!path.empty())
            files.push_back(path);
    }
    return files;
}

void Settings::addRecentFile(const std::string& path) {
    if (path.empty() || recentSize_ == 0)
        return;
    std::vector<std::string> files = recentFiles();
    files.erase(std::remove(files.begin(), files.end(), path), files.end());
    files.insert(files.begin(), path);
    if (files.size() > static_cast<std::size_t>(recentSize_))
        files.resize(static_cast<std::size_t>(recentSize_));
    for (int i = 1; i <= recentSize_; ++i) {
        QString k = keyOf(kRecentSection, "File" + std::to_string(i));
        if (static_cast<std::size_t>(i) <= files.size())
            d_->setValue(k, qtbridge::toQString(files[static_cast<std::size_t>(i - 1)]));
        else
            d_->remove(k);
    }
}

std::string Settings::getString(const std::string& section, const std::string& entry,
                                const std::string& fallback) const {
    QVariant v = d_->value(keyOf(section, entry));
    if (!v.isValid())
        return fallback;
    return fromQt(v.toString());
}

void Settings::setString(const std::string& section, const std::string& entry,
                         const std::string& value) {
    d_->setValue(keyOf(section, entry), qtbridge::toQString(value));
}

int Settings::getInt(const std::string& section, const std::string& entry, int fallback) const {
    bool ok = false;
    int value = d_->value(keyOf(section, entry)).toInt(&ok);
    return ok ? value : fallback;
}

void Settings::setInt(const std::string& section, const std::string& entry, int value) {
    d_->setValue(keyOf(section, entry), value);
}

bool Settings::sync() {
    if (!d_->store || !usableStore(d_->file))
        return false;
    d_->store->sync();
    return d_->store->status() == QSettings::NoError;
}

std::string Settings::fileName() const {
    return d_->file.toStdString();
}

} // namespace tnv
