#pragma once

#include <QString>
#include <functional>

#include "workflow/ConversionResult.h"
#include "workflow/MainSettings.h"

class CSimpleMapi;
class ConversionExecutor;

// What sending the open picture needs of the window that owns the command.
class PictureMailHost {
public:
    // Converts `picturePath` with the window's settings into the file `target`; `done` hears
    // of the result on the window's thread.
    virtual void ConvertForMail(const QString& picturePath, const QString& target,
                                std::function<void(const ConversionResult&)> done) = 0;
    // The window is closing: nothing is handed to the worker any more.
    virtual bool Closing() const = 0;
    // Tells the user that the command waits for the folder run or mail under way.
    virtual void TellBusy() = 0;

protected:
    ~PictureMailHost() = default;
};

// "Bild versenden": converts the open picture into "<name>.jpg" in a new private folder (see
// NewPrivateFolder) and hands it to the mail program on the window's executor, so the window
// stays usable while the mail program is open. From the conversion to the mail program's end
// the executor counts the window busy with a mail. The subject and text are the window's mail
// settings as they are when the conversion has finished.
class CSendPicture {
public:
    CSendPicture(PictureMailHost& host, CSimpleMapi& mail, ConversionExecutor& executor,
                 const BatchMailSettings& settings);

    void Send(const QString& picturePath);

private:
    PictureMailHost& m_host;
    CSimpleMapi& m_mail;
    ConversionExecutor& m_executor;
    const BatchMailSettings& m_settings;
};
