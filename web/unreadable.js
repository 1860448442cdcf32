// A file the page refuses, with its cause: words that finish "NAME could not be opened: ".
export class Unreadable extends Error {}
