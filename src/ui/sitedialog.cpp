#include "ui/sitedialog.h"
#include "ui_sitedialog.h"

#include "publish/cacertfile.h"
#include "publish/settings.h"
#include "publish/sitecheck.h"
#include "transfer/remoteaddress.h"
#include "transfer/transfersession.h"
#include "ui/windowuserinterface.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

SiteDialog::SiteDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::SiteDialog)
    , m_user(new WindowUserInterface(this))
    , m_check(new SiteCheck(*m_user))
    , m_idleTimeout(DefaultIdleTimeout)
{
    ui->setupUi(this);
    ui->transportCombo->addItems({tr("SFTP"), tr("FTP с шифрованием (явный TLS)"), tr("FTP с шифрованием (неявный TLS)"),
                                  tr("HTTPS (WebDAV)"), tr("FTP без шифрования (небезопасно)")});
    m_knownHosts = QDir(m_unsaved.path()).filePath(QStringLiteral("known_hosts"));
    ui->removeSiteButton->hide();
    connect(ui->transportCombo, qOverload<int>(&QComboBox::currentIndexChanged), this, &SiteDialog::transportChosen);
    connect(ui->hostEdit, &QLineEdit::textEdited, this, &SiteDialog::hostEdited);
    connect(ui->hostEdit, &QLineEdit::editingFinished, this, [this] {
        m_hostTyped = 0;
        hostEdited(ui->hostEdit->text());
    });
    connect(ui->separateDownloadBox, &QCheckBox::toggled, ui->downloadAddressEdit, &QWidget::setEnabled);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &SiteDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &SiteDialog::reject);
    transportChosen();
}

SiteDialog::~SiteDialog()
{
    delete ui;
}

void SiteDialog::setSettingsFile(const QString &fileName)
{
    const Settings settings = readSettings(fileName);
    showFields(siteFieldsFromSettings(settings.remotePath, settings.remoteFtpPath));
    ui->siteNameEdit->setText(iniValue(fileName, QStringLiteral("name")));
    if (ui->siteNameEdit->text().isEmpty())
        ui->siteNameEdit->setText(settings.host.isEmpty() ? ui->hostEdit->text() : settings.host);
    ui->pageUrlEdit->setText(settings.pageUrl);
    ui->imageFolderEdit->setText(settings.imageFolder);
    ui->caCertEdit->setText(settings.caCertFile);
    ui->keepBackupsSpin->setValue(iniValue(fileName, QStringLiteral("keepbackups")).toInt());
    ui->feedEdit->setText(iniValue(fileName, QStringLiteral("feed")));
}

void SiteDialog::setRemovable(bool removable)
{
    ui->removeSiteButton->setVisible(removable);
}

void SiteDialog::setLogin(const QString &login, const QString &password, bool remember)
{
    ui->siteLoginEdit->setText(login);
    ui->sitePasswordEdit->setText(password);
    ui->sitePasswordBox->setChecked(remember);
}

QString SiteDialog::siteName() const
{
    return ui->siteNameEdit->text().trimmed();
}

QString SiteDialog::login() const
{
    return ui->siteLoginEdit->text();
}

QString SiteDialog::password() const
{
    return ui->sitePasswordEdit->text();
}

bool SiteDialog::rememberPassword() const
{
    return ui->sitePasswordBox->isChecked();
}

SiteFields SiteDialog::fields() const
{
    SiteFields fields;
    fields.transport = Transport(ui->transportCombo->currentIndex());
    fields.host = ui->hostEdit->text().trimmed();
    fields.port = ui->portSpin->value();
    fields.pagePath = ui->pagePathEdit->text().trimmed();
    fields.login = login();
    fields.separateDownload = ui->separateDownloadBox->isChecked();
    fields.downloadAddress = ui->downloadAddressEdit->text().trimmed();
    return fields;
}

void SiteDialog::showFields(const SiteFields &fields)
{
    ui->transportCombo->setCurrentIndex(int(fields.transport));
    ui->hostEdit->setText(fields.host);
    ui->portSpin->setValue(fields.port);
    ui->pagePathEdit->setText(fields.pagePath);
    if (!fields.login.isEmpty())
        ui->siteLoginEdit->setText(fields.login);
    if (!fields.password.isEmpty())
        ui->sitePasswordEdit->setText(fields.password);
    ui->separateDownloadBox->setChecked(fields.separateDownload);
    ui->downloadAddressEdit->setText(fields.downloadAddress);
}

// A complete address pasted into the host's field goes into the fields it is made of at once; one
// typed key by key, once the field is left.
void SiteDialog::hostEdited(const QString &text)
{
    const bool pasted = text.size() > m_hostTyped + 1;
    m_hostTyped = text.size();
    if (!text.contains(QLatin1String("://")) || (!pasted && ui->hostEdit->hasFocus()))
        return;
    SiteFields split = fields();
    if (splitSiteAddress(text, &split))
        showFields(split);
    m_hostTyped = ui->hostEdit->text().size();
}

void SiteDialog::transportChosen()
{
    const Transport transport = Transport(ui->transportCombo->currentIndex());
    ui->plainFtpWarning->setVisible(transport == Transport::PlainFtp);
    ui->portSpin->setSpecialValueText(tr("по умолчанию (%1)").arg(transportDefaultPort(transport)));
    ui->pathHint->setText(pathFromStartingFolder(transport)
                              ? tr("Путь от начальной папки учётной записи, например www/news.html.")
                              : tr("Путь от корня сервера, например /var/www/site/news.html."));
}

QString SiteDialog::fieldProblem() const
{
    const QString name = siteName();
    if (name.isEmpty())
        return tr("«Название»: впишите, как сайт будет называться в списке.");
    if (m_takenNames.contains(name))
        return tr("«Название»: сайт «%1» уже есть; выберите другое название.").arg(name);
    QString problem = siteHostProblem(ui->hostEdit->text());
    if (problem.isEmpty())
        problem = sitePathProblem(ui->pagePathEdit->text());
    if (!problem.isEmpty())
        return problem;
    const QString folder = ui->imageFolderEdit->text().trimmed();
    if (!folder.isEmpty() && !imageFolderFault(folder).isEmpty())
        return tr("«Папка для картинок»: %1.").arg(imageFolderFault(folder));
    if (ui->separateDownloadBox->isChecked()) {
        const QString download = ui->downloadAddressEdit->text().trimmed();
        problem = download.isEmpty() ? tr("впишите полный адрес, например https://www.example.org/news.html")
                                     : addressProblem(download);
        if (!problem.isEmpty())
            return tr("«Загружать страницу с другого адреса»: %1").arg(problem);
    }
    const QString cert = ui->caCertEdit->text().trimmed();
    if (!cert.isEmpty() && !caCertProblem(cert).isEmpty())
        return tr("«Сертификат»: %1").arg(caCertProblem(cert));
    return QString();
}

IniValues SiteDialog::values() const
{
    const SiteFields site = fields();
    const SiteAddresses addresses = siteAddresses(site);
    const QString folder = ui->imageFolderEdit->text().trimmed();
    return {{QStringLiteral("name"), siteName()},
            {QStringLiteral("remotepath"), addresses.download},
            {QStringLiteral("remoteFTPpath"), addresses.upload},
            {QStringLiteral("host"), site.host},
            {QStringLiteral("port"), QString::number(site.port ? site.port : transportDefaultPort(site.transport))},
            {QStringLiteral("cacert"), ui->caCertEdit->text().trimmed()},
            {QStringLiteral("pageurl"), ui->pageUrlEdit->text().trimmed()},
            {QStringLiteral("imagefolder"), folder == QLatin1String(DefaultImageFolder) ? QString() : folder},
            {QStringLiteral("keepbackups"), QString::number(ui->keepBackupsSpin->value())},
            {QStringLiteral("feed"), ui->feedEdit->text().trimmed()}};
}

void SiteDialog::on_testConnectionButton_clicked()
{
    if (m_check->isRunning()) {
        m_check->stop();
        return;
    }
    ui->testResultView->clear();
    const QString problem = fieldProblem();
    if (!problem.isEmpty()) {
        ui->testResultView->appendPlainText(QStringLiteral("✗ ") + problem);
        return;
    }
    const SiteAddresses addresses = siteAddresses(fields());
    ServerAccess access;
    access.downloadAddress = addresses.download;
    access.uploadAddress = addresses.upload;
    access.caCertFile = ui->caCertEdit->text().trimmed();
    access.login = login();
    access.password = password();
    access.idleTimeout = m_idleTimeout;
    ui->testConnectionButton->setText(tr("Остановить"));
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
    m_check->run(access, m_knownHosts, ui->feedEdit->text(),
                 [this](const QString &line) { ui->testResultView->appendPlainText(line); });
    ui->testConnectionButton->setText(tr("Проверить"));
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(true);
}

void SiteDialog::on_removeSiteButton_clicked()
{
    QMessageBox box(QMessageBox::Question, tr("Удалить сайт"),
                    tr("Убрать сайт «%1» из списка? Его папка с резервными копиями не удаляется: она переносится "
                       "в папку sites/.removed.")
                        .arg(siteName()),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes)
        return;
    m_removeRequested = true;
    QDialog::accept();
}

void SiteDialog::on_caCertButton_clicked()
{
    const QString file = QFileDialog::getOpenFileName(this, tr("Сертификат"), QString(),
                                                      tr("Сертификаты PEM (*.pem *.crt);;Все файлы (*)"));
    if (!file.isEmpty())
        ui->caCertEdit->setText(QDir::toNativeSeparators(file));
}

void SiteDialog::accept()
{
    const QString problem = fieldProblem();
    if (!problem.isEmpty()) {
        m_user->showMessage(problem);
        return;
    }
    QDialog::accept();
}

// Closing while the check runs stops it first: its wait returns, then the dialog's.
void SiteDialog::done(int result)
{
    m_check->stop();
    QDialog::done(result);
}
