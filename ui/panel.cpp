#include "app/form1.h"
#include "ui/layout.h"

namespace zelt {

void Form1::measureFrame() {
    const float client = window_.clientWidth();
    const float outer = window_.outerWidth();
    FrameWidth = outer - client;
}

void Form1::collapse() {
    window_.setOuterWidth(layout::collapsedOuterWidth(Command1.place(), FrameWidth));
}

void Form1::layClickTargetOverIndicator() {
    TwipsRect place = Label3.place();
    place.left = Shape1.place().left;
    place.top = Shape1.place().top;
    place.width = Shape1.place().width;
    place.height = Shape1.place().height;
    Label3.setPlace(place);
}

// The caption is the panel's state: "&More>>" collapsed, anything else expanded.
void Form1::command1Click() {
    const bool expand = Command1.caption() == layout::kMoreCaption;
    Command1.setCaption(expand ? layout::kLessCaption : layout::kMoreCaption);
    Combo1.setEnabled(expand);
    Text1.setEnabled(expand);
    Check1.setEnabled(expand);
    Check2.setEnabled(expand);
    window_.setOuterWidth(expand ? layout::expandedOuterWidth(Text1.place(), FrameWidth)
                                 : layout::collapsedOuterWidth(Command1.place(), FrameWidth));
}

}  // namespace zelt
