// Runs the Khronos glTF Validator over the files named after the validator's
// module folder and prints one line per file:
//   <errors> <warnings> <path> [<error code>: <message> ...]
// Buffers and images are loaded from beside the file; one that is not there
// is an error (IO_ERROR) like any other.
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require(process.argv[2]);

async function validate(file) {
    const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
        uri: path.basename(file),
        maxIssues: 0,
        externalResourceFunction: (uri) =>
            fs.promises.readFile(path.resolve(path.dirname(file), decodeURIComponent(uri)))
                .then((data) => new Uint8Array(data)),
    });
    const errors = report.issues.messages.filter((m) => m.severity === 0);
    const details = errors.slice(0, 5).map((m) => `${m.code}: ${m.message} (${m.pointer || ''})`);
    return `${errors.length} ${report.issues.numWarnings} ${file} ${details.join(' | ')}`;
}

(async () => {
    for (const file of process.argv.slice(3)) console.log(await validate(file));
})().catch((e) => {
    console.error(e);
    process.exit(1);
});
