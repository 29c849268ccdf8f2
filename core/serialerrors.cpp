#include "serialerrors.h"

#include "linehangup.h"

namespace atlume {

const char *serialErrorText(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
        return nullptr;
    case QSerialPort::DeviceNotFoundError:
        return "An error occurred while attempting to open an non-existing device.";
    case QSerialPort::PermissionError:
        return "An error occurred while attempting to open an already opened device by another "
               "process or a user not having enough permission and credentials to open.";
    case QSerialPort::OpenError:
        return "An error occurred while attempting to open an already opened device in this "
               "object.";
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Gone from Qt 6, where the hardware errors are no longer reported.
    case QSerialPort::ParityError:
        return "Parity error detected by the hardware while reading data. This value is "
               "obsolete. We strongly advise against using it in new code.";
    case QSerialPort::FramingError:
        return "Framing error detected by the hardware while reading data. This value is "
               "obsolete. We strongly advise against using it in new code.";
    case QSerialPort::BreakConditionError:
        return "Break condition detected by the hardware on the input line. This value is "
               "obsolete. We strongly advise against using it in new code.";
#endif
    case QSerialPort::WriteError:
        return "An I/O error occurred while writing the data.";
    case QSerialPort::ReadError:
        return "An I/O error occurred while reading the data.";
    case QSerialPort::ResourceError:
        return "An I/O error occurred when a resource becomes unavailable, e.g. when the device "
               "is unexpectedly removed from the system.";
    case QSerialPort::UnsupportedOperationError:
        return "The requested device operation is not supported or prohibited by the running "
               "operating system.";
    case QSerialPort::UnknownError:
        return "An unidentified error occurred.";
    case QSerialPort::TimeoutError:
        return "A timeout error occurred. This value was introduced in QtSerialPort 5.2.";
    case QSerialPort::NotOpenError:
        return "This error occurs when an operation is executed that can only be successfully "
               "performed if the device is open. This value was introduced in QtSerialPort 5.2.";
    }
    return nullptr;
}
QSerialPort::SerialPortError LostDeviceDetector::take(QSerialPort::SerialPortError error)
{
    // Once the device is known to be gone, the port keeps reporting the same
    // failure until the recovery closes it; one line is enough.
    if (gone)
        return QSerialPort::NoError;
    // A hung-up tty (a pulled USB adapter) reads end-of-file, which Qt reports
    // as a read error over and over instead of a resource error. Treat it as
    // what it is.
    if (error == QSerialPort::ReadError && lineHungUp(*port))
        error = QSerialPort::ResourceError;
    if (error == QSerialPort::ResourceError)
        gone = true;
    return error;
}

} // namespace atlume
