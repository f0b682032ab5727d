// The program's version, in one place: the caption, the version resource and the zip's name.
#pragma once

// "Ver.0.01" is the major version, then the minor version and the build as a digit each; the
// version resource's numbers are 0.0.1.0.
#define QM_VERSION_MAJOR 0
#define QM_VERSION_MINOR 0
#define QM_VERSION_BUILD 1

#define QM_DIGIT_(n) #n
#define QM_DIGIT(n) QM_DIGIT_(n)
#define QM_VERSION_TEXT \
    QM_DIGIT(QM_VERSION_MAJOR) "." QM_DIGIT(QM_VERSION_MINOR) QM_DIGIT(QM_VERSION_BUILD)
