#include "app/AppError.h"

EAppError::EAppError(const QString &AMessage)
    : FMessage(AMessage), FUtf8(AMessage.toUtf8())
{
}
