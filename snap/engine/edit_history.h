// Undo and redo of the marks made on a snapshot. A mark keeps one copy of
// the pixels of the rectangle it touches, never of the whole picture; a
// crop keeps only the rectangle that was the picture before it, since the
// picture is cut only when it is sent. Portable: no Windows headers.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "snap/engine/edit_pixels.h"

struct EditStep {
    EditRect rect;      // a mark: the pixels saved; a crop: the crop it made
    uint8_t *saved;     // a mark's saved pixels (the other state of them); null for a crop
    size_t bytes;       // of saved
    EditRect cropBefore;
};

struct EditHistory {
    EditStep *steps;
    size_t count;       // steps kept, undone ones included
    size_t done;        // steps in effect: the first 'done' of them
    size_t capacity;
    size_t savedBytes;  // the pixels all steps hold
};

// Starts a mark over rect (clipped to the picture): drops the steps that
// were undone, saves the rect's pixels and counts the step as done. False,
// with nothing changed, when the memory is not there (the mark is then not
// to be drawn) or rect is empty.
bool BeginMarkStep(EditHistory *history, const EditPicture &picture, const EditRect &rect);

// Records a crop from *crop to next and makes next the crop.
bool AddCropStep(EditHistory *history, EditRect *crop, const EditRect &next);

// Puts back what the last done step changed and forgets the step: how a
// mark still being dragged is moved.
void DropLastStep(EditHistory *history, const EditPicture &picture, EditRect *crop);

// Undo: the last done step's pixels (or crop) go back; redo: they come
// again. False when there is nothing to undo or redo.
bool UndoStep(EditHistory *history, const EditPicture &picture, EditRect *crop);
bool RedoStep(EditHistory *history, const EditPicture &picture, EditRect *crop);

void FreeEditHistory(EditHistory *history);
