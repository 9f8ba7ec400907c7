#include "snap/engine/edit_history.h"

#include <stdlib.h>
#include <string.h>

// Exchanges the step's saved pixels with the picture's: what undoes a mark
// also redoes it.
static void SwapPixels(const EditPicture &picture, EditStep *step)
{
    const size_t bytesPerPixel = picture.bitsPerPixel == 8 ? 1 : 3;
    const size_t span = (size_t)(step->rect.right - step->rect.left) * bytesPerPixel;
    uint8_t *saved = step->saved;
    for (int32_t y = step->rect.top; y < step->rect.bottom; ++y, saved += span) {
        uint8_t *row = PixelAt(picture, step->rect.left, y);
        for (size_t i = 0; i < span; ++i) {
            const uint8_t kept = row[i];
            row[i] = saved[i];
            saved[i] = kept;
        }
    }
}

static void ForgetStep(EditHistory *history, EditStep *step)
{
    free(step->saved);
    history->savedBytes -= step->bytes;
    memset(step, 0, sizeof *step);
}

static EditStep *NewStep(EditHistory *history)
{
    while (history->count > history->done)
        ForgetStep(history, &history->steps[--history->count]);
    if (history->count == history->capacity) {
        const size_t capacity = history->capacity ? history->capacity * 2 : 16;
        EditStep *grown = static_cast<EditStep *>(realloc(history->steps, capacity * sizeof *grown));
        if (!grown)
            return NULL;
        history->steps = grown;
        history->capacity = capacity;
    }
    EditStep *step = &history->steps[history->count];
    memset(step, 0, sizeof *step);
    return step;
}

bool BeginMarkStep(EditHistory *history, const EditPicture &picture, const EditRect &rect)
{
    const EditRect whole = {0, 0, picture.width, picture.height};
    const EditRect r = IntersectEditRect(rect, whole);
    if (EditRectEmpty(r))
        return false;
    const size_t bytesPerPixel = picture.bitsPerPixel == 8 ? 1 : 3;
    const size_t span = (size_t)(r.right - r.left) * bytesPerPixel;
    const size_t bytes = span * (size_t)(r.bottom - r.top);
    uint8_t *saved = static_cast<uint8_t *>(malloc(bytes));
    if (!saved)
        return false;
    EditStep *step = NewStep(history);
    if (!step) {
        free(saved);
        return false;
    }
    for (int32_t y = r.top; y < r.bottom; ++y)
        memcpy(saved + (size_t)(y - r.top) * span, PixelAt(picture, r.left, y), span);
    step->rect = r;
    step->saved = saved;
    step->bytes = bytes;
    history->savedBytes += bytes;
    history->count++;
    history->done = history->count;
    return true;
}

bool AddCropStep(EditHistory *history, EditRect *crop, const EditRect &next)
{
    EditStep *step = NewStep(history);
    if (!step)
        return false;
    step->rect = next;
    step->cropBefore = *crop;
    *crop = next;
    history->count++;
    history->done = history->count;
    return true;
}

static void Flip(const EditPicture &picture, EditStep *step, EditRect *crop, bool undo)
{
    if (step->saved)
        SwapPixels(picture, step);
    else
        *crop = undo ? step->cropBefore : step->rect;
}

void DropLastStep(EditHistory *history, const EditPicture &picture, EditRect *crop)
{
    if (history->done == 0 || history->done != history->count)
        return;
    EditStep *step = &history->steps[history->count - 1];
    Flip(picture, step, crop, true);
    ForgetStep(history, step);
    history->count--;
    history->done--;
}

bool UndoStep(EditHistory *history, const EditPicture &picture, EditRect *crop)
{
    if (history->done == 0)
        return false;
    Flip(picture, &history->steps[--history->done], crop, true);
    return true;
}

bool RedoStep(EditHistory *history, const EditPicture &picture, EditRect *crop)
{
    if (history->done == history->count)
        return false;
    Flip(picture, &history->steps[history->done++], crop, false);
    return true;
}

void FreeEditHistory(EditHistory *history)
{
    for (size_t i = 0; i < history->count; ++i)
        free(history->steps[i].saved);
    free(history->steps);
    memset(history, 0, sizeof *history);
}
