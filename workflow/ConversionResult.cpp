#include "ConversionResult.h"

#include "ConversionTexts.h"

QString WarningReason(const ConversionResult& result) {
    return result.warning.isEmpty() ? QString() : DefectWarningGerman(result.defect);
}

QString FailureReason(const ConversionResult& result) {
    switch (result.failure) {
        case ConversionFailure::None:
            break;
        case ConversionFailure::Unreadable:
            return DefectGerman(result.defect);
        case ConversionFailure::OutOfMemory:
            return DefectGerman(result.defect == PictureDefect::TooManyOpenFiles
                                    ? result.defect
                                    : PictureDefect::OutOfMemory);
        case ConversionFailure::CannotWrite:
            return result.foreign.IsSet() ? ForeignEntryGerman(result.foreign)
                                          : ConversionTexts::WriteReason(result.systemError);
        case ConversionFailure::CannotReadBack:
            return ConversionTexts::CannotReadBack();
        case ConversionFailure::CannotEncode:
            return ConversionTexts::CannotEncode();
        case ConversionFailure::Unexpected:
            return ConversionTexts::Unexpected(result.error);
    }
    return {};
}

bool NothingToShow(const ConversionResult& result) {
    switch (result.failure) {
        case ConversionFailure::Unreadable:
        case ConversionFailure::OutOfMemory:
        case ConversionFailure::CannotEncode:
        case ConversionFailure::Unexpected:
            return true;
        case ConversionFailure::None:
        case ConversionFailure::CannotWrite:
        case ConversionFailure::CannotReadBack:
            break;
    }
    return false;
}
