// The calculation books laid out on pages, for PDF files and printers.
#pragma once
