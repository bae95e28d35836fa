#include "ui/rememberedpassword.h"

#include "publish/passwordstore.h"

#include <QCheckBox>
#include <QDebug>
#include <QLineEdit>

RememberedPassword::RememberedPassword(QCheckBox *box, QLineEdit *password, std::function<QString()> entry,
                                       QObject *parent)
    : QObject(parent)
    , m_box(box)
    , m_password(password)
    , m_entry(std::move(entry))
    , m_store(new PasswordStore(this))
{
    m_baseTip = tr("Хранить пароль в хранилище паролей рабочего стола (GNOME Keyring, KWallet), не в файле");
    m_box->setToolTip(m_baseTip);
    connect(m_box, &QCheckBox::toggled, this, &RememberedPassword::toggled);
}

void RememberedPassword::restore(bool remembered)
{
    m_restoring = true;
    m_box->setChecked(remembered);
    m_restoring = false;
    // The choice stays as it was for a session that has a store again.
    const QString unavailable = PasswordStore::unavailableReason();
    if (!unavailable.isEmpty()) {
        m_box->setEnabled(false);
        m_box->setToolTip(unavailable);
        return;
    }
    if (!remembered)
        return;
    m_store->read(m_entry(), [this](const QString &password, const QString &problem) {
        if (!problem.isEmpty())
            fail(problem);
        else if (m_password->text().isEmpty())
            m_password->setText(password);
    });
}

void RememberedPassword::worked(const QString &password)
{
    if (!m_box->isEnabled() || !m_box->isChecked() || password.isEmpty())
        return;
    m_store->write(m_entry(), password, [this](const QString &, const QString &problem) {
        if (!problem.isEmpty())
            fail(problem);
    });
}

void RememberedPassword::toggled(bool remember)
{
    if (m_restoring)
        return;
    emit rememberChanged(remember);
    if (remember)
        return;
    m_store->remove(m_entry(), [this](const QString &, const QString &problem) {
        if (!problem.isEmpty())
            fail(problem);
    });
}

// Said once, in the log and in the box's tooltip; the password is typed as before.
void RememberedPassword::fail(const QString &problem)
{
    m_box->setToolTip(m_baseTip + QLatin1String("\n") + tr("Не получилось: %1.").arg(problem));
    if (m_failureSaid)
        return;
    m_failureSaid = true;
    qWarning().noquote() << "Password store:" << problem;
}
